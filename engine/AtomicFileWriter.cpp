#include "engine/AtomicFileWriter.h"

#include "engine/FileError.h"
#include "engine/RegularFile.h"
#include "engine/RuntimeFolder.h"
#include "engine/SignalCleanup.h"
#include "engine/StaleFileSweeper.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

namespace {

namespace fs = std::filesystem;

// Follows symbolic links (also one whose target does not exist yet), so the
// save replaces the linked file and the link stays a link.
std::string resolvedTarget(const std::string& target)
{
    fs::path path(target);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)) || ec)
            return path.string();
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return path.string();
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    throw makeFileError(ELOOP, "save", target);
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
    // A device node, pipe or folder is never replaced by a regular file.
    requireRegularOrAbsent(m_target);
    sweepStaleTemporaries(m_target);
    const fs::path targetPath(m_target);
    // The pid in the name lets a later process tell a dead save's leftover from
    // a save in progress.
    const std::string stem =
        folderOf(m_target) + "/." + targetPath.filename().string() + "." + std::to_string(::getpid()) + "-";
    for (int attempt = 0;; ++attempt) {
        std::string candidate = stem + randomNamePart() + ".tmp";
        try {
            // 0666 less the umask: what creating the target directly would give.
            addCleanupPath(candidate);
            m_file = FileHandle::createNew(candidate, 0666);
            m_tempPath = std::move(candidate);
            break;
        } catch (const EInOutError& error) {
            removeCleanupPath(candidate);
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
    if (!m_tempPath.empty())
        removeCleanupPath(m_tempPath);
}

void AtomicFileWriter::commit()
{
    m_file.sync();
    m_file.close();
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        throw makeFileError(errno, "replace", m_target);
    m_committed = true;
    removeCleanupPath(m_tempPath);
    syncFolder(folderOf(m_target));
}

} // namespace larkspur
