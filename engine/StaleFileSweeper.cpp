#include "engine/StaleFileSweeper.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

bool processIsGone(int pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Removes every entry of folder whose name starts with prefix, ends with
// ".tmp", names a dead process and is a regular file of this user.
int sweep(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!endsWith(name, ".tmp"))
            continue;
        const int pid = pidInName(name, prefix);
        if (pid <= 0 || pid == ::getpid() || !processIsGone(pid))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != ::geteuid())
            continue;
        if (::unlinkat(dirFd, name.c_str(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace

int pidInName(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    std::size_t at = prefix.size();
    long pid = 0;
    const std::size_t start = at;
    while (at < name.size() && name[at] >= '0' && name[at] <= '9' && at - start < 9)
        pid = pid * 10 + (name[at++] - '0');
    if (at == start || at >= name.size() || (name[at] != '-' && name[at] != '.'))
        return 0;
    return static_cast<int>(pid);
}

int sweepStaleStores(const std::string& folder)
{
    return sweep(folder, "larkspur-VCWaves-");
}

int sweepStaleTemporaries(const std::string& target)
{
    const std::filesystem::path path(target);
    const std::string folder = path.parent_path().empty() ? std::string(".") : path.parent_path().string();
    return sweep(folder, "." + path.filename().string() + ".");
}

} // namespace larkspur
