#pragma once
// An open file descriptor that closes itself. Every failing call throws
// EInOutError naming the file, so callers read as straight-line code.

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

namespace larkspur {

class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // A regular file only: pipes, devices and folders are refused without blocking.
    static FileHandle openForReading(const std::string& path);
    // Read and write an existing file; a symbolic link is refused.
    static FileHandle openForUpdate(const std::string& path);
    // Creates a file that must not exist yet; refuses to follow a symbolic link.
    static FileHandle createNew(const std::string& path, mode_t mode);

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }

    // Reads until buffer is full or the file ends; returns the bytes read.
    std::size_t readUpTo(std::span<uint8_t> buffer);
    void writeAll(std::span<const uint8_t> data);
    void seek(int64_t offset);
    int64_t size() const;
    void sync();
    // Closes now and reports a failing close (a delayed write error).
    void close();

private:
    FileHandle(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd = -1;
    std::string m_path;
};

} // namespace larkspur
