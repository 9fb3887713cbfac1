#include "engine/TableLock.h"

#include "engine/FileError.h"
#include "engine/RegularFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace larkspur {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Opens the table for locking, creating it when it is missing.
int openForLock(const std::string& path, bool& created)
{
    for (;;) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0) {
            created = false;
            return fd;
        }
        if (errno != ENOENT)
            throw makeFileError(errno, "open", path);
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST)
            throw makeFileError(errno, "create", path);
        // Another program made it in between: open that one.
    }
}

bool sameFile(int fd, const std::string& path)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

} // namespace

TableLock::TableLock(const std::string& path, std::chrono::milliseconds wait) : m_path(path)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        bool created = false;
        const int fd = openForLock(path, created);
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            requireRegularOrAbsent(path);
            throw makeFileError(EINVAL, "lock", path);
        }
        bool locked = false;
        while (!(locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0) && (errno == EWOULDBLOCK || errno == EINTR)
               && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kPollInterval);
        if (!locked) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK)
                throw EInOutError(EWOULDBLOCK, path + ": the table is in use by another program.");
            throw makeFileError(err, "lock", path);
        }
        // The holder before us may have replaced (or removed) the file.
        if (sameFile(fd, path)) {
            m_fd = fd;
            // Another program's lock may have made the empty file and not yet
            // locked it when this one did: an empty file is a new table, not
            // one to read (reading it would find no recordings to keep).
            struct stat now {};
            m_created = created || (::fstat(fd, &now) == 0 && now.st_size == 0);
            return;
        }
        ::close(fd);
    }
}

TableLock::~TableLock()
{
    struct stat info {};
    if (m_created && sameFile(m_fd, m_path) && ::fstat(m_fd, &info) == 0 && info.st_size == 0)
        ::unlink(m_path.c_str());
    ::close(m_fd);
}

std::chrono::milliseconds TableLock::defaultWait()
{
    if (const char* text = std::getenv("LARKSPUR_TABLE_LOCK_WAIT_MS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value >= 0)
            return std::chrono::milliseconds(value);
    }
    return std::chrono::milliseconds(5000);
}

} // namespace larkspur
