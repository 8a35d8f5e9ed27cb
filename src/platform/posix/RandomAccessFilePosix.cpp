// POSIX implementation of RandomAccessFile: one descriptor, pread.
#include "platform/RandomAccessFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

std::optional<RandomAccessFile> RandomAccessFile::open(const std::filesystem::path &file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        close(fd);
        return std::nullopt;
    }
    return RandomAccessFile(fd, std::uint64_t(st.st_size));
}

RandomAccessFile::RandomAccessFile(RandomAccessFile &&other) noexcept
    : m_fd(other.m_fd), m_size(other.m_size) {
    other.m_fd = -1;
}

RandomAccessFile &RandomAccessFile::operator=(RandomAccessFile &&other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = other.m_fd;
        m_size = other.m_size;
        other.m_fd = -1;
    }
    return *this;
}

RandomAccessFile::~RandomAccessFile() {
    if (m_fd >= 0)
        close(m_fd);
}

std::optional<std::string> RandomAccessFile::read(std::uint64_t offset, std::size_t length) const {
    if (m_fd < 0 || offset > m_size || length > m_size - offset)
        return std::nullopt;
    std::string out(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = pread(m_fd, out.data() + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt; // an error, or the file shrank
        done += std::size_t(n);
    }
    return out;
}

} // namespace zembra::platform
