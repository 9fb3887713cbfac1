#include "engine/FileHandle.h"

#include "engine/FileError.h"
#include "engine/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace larkspur {

namespace {

int openOrThrow(const std::string& path, int flags, mode_t mode, const char* action)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw makeFileError(errno, action, path);
    return fd;
}

} // namespace

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

FileHandle FileHandle::openForReading(const std::string& path)
{
    return FileHandle(openRegularFileForReading(path), path);
}

FileHandle FileHandle::openForUpdate(const std::string& path)
{
    return FileHandle(openOrThrow(path, O_RDWR | O_NOFOLLOW, 0, "open"), path);
}

FileHandle FileHandle::createNew(const std::string& path, mode_t mode)
{
    return FileHandle(openOrThrow(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode, "create"), path);
}

std::size_t FileHandle::readUpTo(std::span<uint8_t> buffer)
{
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::read(m_fd, buffer.data() + done, buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw makeFileError(errno, "read", m_path);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void FileHandle::writeAll(std::span<const uint8_t> data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(m_fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw makeFileError(errno, "write", m_path);
        }
        done += static_cast<std::size_t>(n);
    }
}

void FileHandle::seek(int64_t offset)
{
    if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw makeFileError(errno, "seek in", m_path);
}

int64_t FileHandle::size() const
{
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        throw makeFileError(errno, "examine", m_path);
    return static_cast<int64_t>(info.st_size);
}

void FileHandle::sync()
{
    if (::fsync(m_fd) != 0)
        throw makeFileError(errno, "flush", m_path);
}

void FileHandle::close()
{
    const int fd = std::exchange(m_fd, -1);
    // The descriptor is gone after close() whatever it returns; never retry.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        throw makeFileError(errno, "close", m_path);
}

} // namespace larkspur
