#pragma once
// Reads parts of a regular file by offset, for parsers that must not load a file whole
// (an application's main executable can be hundreds of MiB). Opening never blocks (a FIFO
// in place of the file), never follows a link in the last component, and refuses
// anything but a regular file. Any thread; one object is not shared between threads.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zembra::platform {

class RandomAccessFile {
public:
    static std::optional<RandomAccessFile> open(const std::filesystem::path &file);
    RandomAccessFile(RandomAccessFile &&other) noexcept;
    RandomAccessFile &operator=(RandomAccessFile &&other) noexcept;
    RandomAccessFile(const RandomAccessFile &) = delete;
    RandomAccessFile &operator=(const RandomAccessFile &) = delete;
    ~RandomAccessFile();

    // The size when the file was opened.
    std::uint64_t size() const { return m_size; }
    // Exactly `length` bytes at `offset`; nothing past the end or on a read error.
    std::optional<std::string> read(std::uint64_t offset, std::size_t length) const;

private:
    RandomAccessFile(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace zembra::platform
