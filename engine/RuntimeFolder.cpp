#include "engine/RuntimeFolder.h"

#include "engine/FileError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace larkspur {

namespace {

bool isOwnPrivateFolder(const std::string& path)
{
    struct stat info {};
    // lstat: a symbolic link planted at the name is not our folder.
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) == 0;
}

std::string makeTemporaryFolder(const std::string& base)
{
    std::string pattern = base + "/larkspur-" + std::to_string(::geteuid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        const int err = errno;
        throw EInOutError(err, "Could not make a private folder for scratch files in " + base + ": "
                                   + std::generic_category().message(err) + " (error " + std::to_string(err)
                                   + "). Set TMPDIR to a writable folder.");
    }
    return buffer.data();
}

} // namespace

std::string choosePrivateFolder(const std::string& runtime, const std::string& tempBase)
{
    if (!runtime.empty())
        return runtime;
    const std::string own = tempBase + "/larkspur-" + std::to_string(::geteuid());
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST)
        return makeTemporaryFolder(tempBase);
    if (isOwnPrivateFolder(own))
        return own;
    // Someone else holds the name (or it is not private): a folder of our own
    // for this process only.
    return makeTemporaryFolder(tempBase);
}

std::string privateRuntimeFolder()
{
    static std::mutex lock;
    static std::string chosen;
    const std::lock_guard<std::mutex> guard(lock);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return runtime;
    if (chosen.empty() || !isOwnPrivateFolder(chosen)) {
        const char* tmp = std::getenv("TMPDIR");
        chosen = choosePrivateFolder({}, tmp && *tmp ? tmp : "/tmp");
    }
    return chosen;
}

std::string randomNamePart()
{
    static std::mutex lock;
    static std::mt19937 generator{std::random_device{}()};
    const std::lock_guard<std::mutex> guard(lock);
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(generator()));
    return text;
}

} // namespace larkspur
