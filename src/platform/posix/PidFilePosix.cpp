#include "platform/PidFile.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

namespace {

// True when some process holds the lock of the open file `fd`.
bool locked(int fd) {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
        flock(fd, LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
}

std::optional<long> readPid(int fd) {
    char buffer[32] = {};
    const ssize_t n = pread(fd, buffer, sizeof buffer - 1, 0);
    if (n <= 0)
        return std::nullopt;
    try {
        const long pid = std::stol(std::string(buffer, static_cast<size_t>(n)));
        return pid > 0 ? std::optional<long>(pid) : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

// The regular file `file`, never through a link and never blocked by a FIFO; -1 otherwise.
int openRegular(const std::filesystem::path &file, int flags) {
    const int fd = open(file.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    struct stat st {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::unique_ptr<PidFile> PidFile::acquire(const std::filesystem::path &file, std::string *problem) {
    std::string why;
    struct stat st {};
    if (lstat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        why = S_ISLNK(st.st_mode) ? "its pid file is a symbolic link"
                                  : "its pid file is not a regular file";
    } else {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int fd = lockedFile(file);
            if (fd >= 0)
                return std::unique_ptr<PidFile>(new PidFile(file, fd));
            if (fd == -1)
                break;
        }
        if (!holder(file))
            why = "its pid file cannot be made";
    }
    if (problem)
        *problem = why;
    return nullptr;
}

// The open, locked pid file with our pid in it; -1 when another process holds it or it
// cannot be made; -2 to try again.
int PidFile::lockedFile(const std::filesystem::path &file) {
    const int fd = openRegular(file, O_RDWR | O_CREAT);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    // A previous owner may have unlinked the file between our open and our lock: then
    // the lock is on a file nobody can find, so take a fresh one.
    struct stat opened {
    }, named{};
    if (fstat(fd, &opened) != 0 || stat(file.c_str(), &named) != 0 ||
        opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
        close(fd);
        return -2;
    }
    // Written over the last owner's pid, then cut to length only when that was longer:
    // emptying the file first frees its block, which on a journalled disk costs a start
    // milliseconds. A reader between the two still reads a whole pid up to its newline.
    const std::string pid = std::to_string(getpid()) + "\n";
    const auto length = static_cast<off_t>(pid.size());
    if (pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size()) ||
        fstat(fd, &opened) != 0 || (opened.st_size > length && ftruncate(fd, length) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

PidFile::~PidFile() {
    // Unlink before unlocking, so nobody takes a file that is about to vanish.
    unlink(m_file.c_str());
    close(m_fd);
}

std::optional<long> PidFile::holder(const std::filesystem::path &file) {
    const int fd = openRegular(file, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    std::optional<long> pid;
    if (locked(fd))
        pid = readPid(fd);
    close(fd);
    return pid;
}

bool PidFile::askHolderToStop(const std::filesystem::path &file) {
    const int fd = openRegular(file, O_RDONLY);
    if (fd < 0)
        return false;
    bool asked = false;
    if (locked(fd))
        if (const auto pid = readPid(fd))
            asked = kill(static_cast<pid_t>(*pid), SIGTERM) == 0;
    close(fd);
    return asked;
}

bool PidFile::stopHolder(const std::filesystem::path &file, int timeoutMs) {
    const int fd = openRegular(file, O_RDONLY);
    if (fd < 0)
        return true;
    bool stopped = !locked(fd);
    if (!stopped) {
        if (const auto pid = readPid(fd))
            kill(static_cast<pid_t>(*pid), SIGTERM);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!(stopped = !locked(fd)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    close(fd);
    return stopped;
}

} // namespace zembra::platform
