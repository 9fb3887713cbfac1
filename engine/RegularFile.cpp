#include "engine/RegularFile.h"

#include "engine/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspur {

std::string describeNonRegular(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return {};
    case S_IFDIR: return "is a folder, not a file.";
    case S_IFIFO: return "is a named pipe (FIFO), not a regular file.";
    case S_IFCHR: return "is a character device, not a regular file.";
    case S_IFBLK: return "is a block device, not a regular file.";
    case S_IFSOCK: return "is a socket, not a regular file.";
    }
    return "is not a regular file.";
}

int openRegularFileForReading(const std::string& path)
{
    int fd;
    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    do
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw makeFileError(errno, "open", path);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        ::close(fd);
        throw makeFileError(err, "examine", path);
    }
    const std::string problem = describeNonRegular(info.st_mode);
    if (!problem.empty()) {
        ::close(fd);
        throw EInOutError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "The file " + path + " " + problem);
    }
    // Reads of a regular file never block anyway; clear the flag so nothing
    // downstream sees EAGAIN.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

void requireRegularOrAbsent(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return;
    const std::string problem = describeNonRegular(info.st_mode);
    if (!problem.empty())
        throw EInOutError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "The file " + path + " " + problem);
}

} // namespace larkspur
