#include "platform/posix/DirectoryReader.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <atomic>
#include <cstddef>
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace zembra::platform::posix {

namespace {

EntryType typeFromDirentType(unsigned char type) {
    switch (type) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Directory;
    case DT_LNK:
        return EntryType::Symlink;
    default:
        return EntryType::Other;
    }
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

EntryType typeFromMode(mode_t mode) {
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Directory;
    if (S_ISLNK(mode))
        return EntryType::Symlink;
    return EntryType::Other;
}

EntryType DirectoryReader::typeAt(int fd, const char *name) {
    struct stat st;
    if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return typeFromMode(st.st_mode);
    return EntryType::Other;
}

bool deviceOf(int fd, dev_t &device) {
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    device = st.st_dev;
    return true;
}

// A child folder opened without following a link, refused when it lies on another file
// system than `device`.
int openOnDevice(int parentFd, const char *name, dev_t device) {
    const int fd = openat(parentFd, name, kFolderFlags);
    dev_t own = 0;
    if (fd >= 0 && (!deviceOf(fd, own) || own != device)) {
        close(fd);
        return -1;
    }
    return fd;
}

int openFolder(const char *path) {
    return open(path, kFolderFlags);
}

#if defined(__linux__)

namespace {

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// openat2 refuses a link and a mount crossing in the one call; kernels before 5.6 (or a
// sandbox that filters it) get openat and a device check.
std::atomic<int> g_openat2{-1}; // -1 not tried yet, 0 missing, 1 there

int openWithResolve(int parentFd, const char *name) {
    open_how how{};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
    return int(syscall(SYS_openat2, parentFd, name, &how, sizeof how));
}

} // namespace

int openChildFolder(int parentFd, const char *name, dev_t device) {
    const int known = g_openat2.load(std::memory_order_relaxed);
    if (known != 0) {
        const int fd = openWithResolve(parentFd, name);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) {
            if (known < 0)
                g_openat2.store(1, std::memory_order_relaxed);
            return fd;
        }
        if (known > 0 && errno == EPERM)
            return -1;
        g_openat2.store(0, std::memory_order_relaxed);
    }
    return openOnDevice(parentFd, name, device);
}

long DirectoryReader::fill(int fd) {
    if (m_buffer.empty())
        m_buffer.resize(32 * 1024);
    for (;;) {
        const long got = long(syscall(SYS_getdents64, fd, m_buffer.data(), m_buffer.size()));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

DirectoryReader::Raw DirectoryReader::decode(long at) const {
    const auto *d = reinterpret_cast<const LinuxDirent64 *>(m_buffer.data() + at);
    const char *name = m_buffer.data() + at + offsetof(LinuxDirent64, d_name);
    return {name, long(d->d_reclen), typeFromDirentType(d->d_type), d->d_type == DT_UNKNOWN};
}

void DirectoryReader::finish() {}

#else

int openChildFolder(int parentFd, const char *name, dev_t device) {
    return openOnDevice(parentFd, name, device);
}

long DirectoryReader::fill(int fd) {
    if (!m_stream) {
        const int own = dup(fd);
        if (own < 0)
            return -1;
        m_stream = fdopendir(own);
        if (!m_stream) {
            close(own);
            return -1;
        }
    }
    errno = 0;
    const dirent *d = readdir(static_cast<DIR *>(m_stream));
    m_current = d;
    return d ? 1 : (errno == 0 ? 0 : -1);
}

DirectoryReader::Raw DirectoryReader::decode(long) const {
    const auto *d = static_cast<const dirent *>(m_current);
    return {d->d_name, 1, typeFromDirentType(d->d_type), d->d_type == DT_UNKNOWN};
}

void DirectoryReader::finish() {
    if (m_stream)
        closedir(static_cast<DIR *>(m_stream));
    m_stream = nullptr;
    m_current = nullptr;
}

#endif

} // namespace zembra::platform::posix
