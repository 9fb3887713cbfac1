#include "engine/AtomicFileWriter.h"

#include "engine/FileError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

namespace fs = std::filesystem;

std::string resolvedTarget(const std::string& target)
{
    std::error_code ec;
    const fs::path real = fs::canonical(target, ec);
    return ec ? target : real.string();
}

std::string folderOf(const std::string& path)
{
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Best effort: makes the rename itself survive a crash where the file system supports it.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target) : m_target(resolvedTarget(target))
{
    const fs::path targetPath(m_target);
    const std::string stem = folderOf(m_target) + "/." + targetPath.filename().string() + ".";
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x.tmp", static_cast<unsigned>(random()));
        std::string candidate = stem + suffix;
        try {
            // 0666 less the umask: what creating the target directly would give.
            m_file = FileHandle::createNew(candidate, 0666);
            m_tempPath = std::move(candidate);
            break;
        } catch (const EInOutError& error) {
            if (error.errorCode() != EEXIST || attempt == 20)
                throw makeFileError(error.errorCode(), "create", m_target);
        }
    }
    struct stat old {};
    if (::stat(m_target.c_str(), &old) == 0)
        ::fchmod(m_file.fd(), old.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!m_committed && !m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
}

void AtomicFileWriter::commit()
{
    m_file.sync();
    m_file.close();
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        throw makeFileError(errno, "replace", m_target);
    m_committed = true;
    syncFolder(folderOf(m_target));
}

} // namespace larkspur
