// POSIX implementation of FolderHandle: openat/renameat relative to a held folder.
#include "platform/FolderHandle.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

namespace {

bool isPlainName(const std::string &name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Reads an open file whole; nothing when it is not a regular file or is too large.
std::optional<QByteArray> readOpenFile(int fd, std::uint64_t maxBytes) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || std::uint64_t(st.st_size) > maxBytes)
        return std::nullopt;
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = pread(fd, data.data() + done, size_t(data.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        done += n;
    }
    data.resize(done);
    return data;
}

bool writeAll(int fd, const QByteArray &data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// A new file of our own next to `name`: created exclusively, never through a link.
int createTemporary(int folder, const std::string &name, std::string &tempName) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 64; ++attempt) {
        tempName = "." + name + ".";
        for (int k = 0; k < 8; ++k)
            tempName += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
        const int fd = openat(folder, tempName.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

constexpr int kMaxDepth = 512;

// The names in the folder open at `fd` (dot-names too, "." and ".." never), sorted by bytes.
std::vector<std::string> sortedNames(int fd) {
    std::vector<std::string> names;
    const int copy = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            close(copy);
        return names;
    }
    while (const dirent *d = readdir(dir)) {
        const char *n = d->d_name;
        if (!(n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))))
            names.emplace_back(n);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Deletes the entry `name` of the folder open at `parent`, which lies on `device`.
bool removeAt(int parent, const std::string &name, std::uint64_t device, int depth,
              const std::function<bool()> &stopRequested) {
    struct stat st;
    if (fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return unlinkat(parent, name.c_str(), 0) == 0;
    if (std::uint64_t(st.st_dev) != device || depth >= kMaxDepth)
        return false; // a mount point: what lies on the other file system is not ours to empty
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    for (const std::string &child : sortedNames(fd)) {
        if (stopRequested && stopRequested()) {
            ok = false;
            break;
        }
        ok = removeAt(fd, child, device, depth + 1, stopRequested) && ok;
    }
    close(fd);
    return unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0 && ok;
}

} // namespace

FolderHandle::~FolderHandle() {
    if (m_fd >= 0)
        close(m_fd);
}

FolderHandle::FolderHandle(FolderHandle &&other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

FolderHandle &FolderHandle::operator=(FolderHandle &&other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FolderHandle FolderHandle::open(const std::filesystem::path &base,
                                const std::filesystem::path &relative) {
    return openBase(base).walkDown(relative);
}

FolderHandle FolderHandle::openBase(const std::filesystem::path &folder) {
    return FolderHandle(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

std::uint64_t FolderHandle::device() const {
    struct stat st;
    return m_fd >= 0 && fstat(m_fd, &st) == 0 ? std::uint64_t(st.st_dev) : 0;
}

FolderHandle FolderHandle::walkDown(const std::filesystem::path &relative) const {
    return walkDown(relative, device());
}

FolderHandle FolderHandle::walkDown(const std::filesystem::path &relative,
                                    std::uint64_t device) const {
    if (m_fd < 0 || relative.is_absolute())
        return FolderHandle();
    FolderHandle at(fcntl(m_fd, F_DUPFD_CLOEXEC, 0));
    for (const auto &component : relative) {
        const std::string &name = component.native();
        if (!at.isValid() || !isPlainName(name))
            return FolderHandle();
        FolderHandle next(
            openat(at.m_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // A mount point below the held folder leads onto another file system: not entered.
        if (next.device() != device)
            return FolderHandle();
        at = std::move(next);
    }
    return at;
}

FolderHandle FolderHandle::openFolder(const std::filesystem::path &folder, bool create) {
    const std::filesystem::path parent = folder.parent_path();
    const std::string name = folder.filename().native();
    if (parent.empty() || !isPlainName(name))
        return FolderHandle();
    std::error_code ec;
    if (create)
        std::filesystem::create_directories(parent, ec);
    FolderHandle above(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return above.folder(name, create);
}

FolderHandle FolderHandle::folder(const std::string &name, bool create) const {
    if (m_fd < 0 || !isPlainName(name))
        return FolderHandle();
    if (create && mkdirat(m_fd, name.c_str(), 0700) != 0 && errno != EEXIST)
        return FolderHandle();
    return FolderHandle(
        openat(m_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

FolderHandle::Kind FolderHandle::kindOf(const std::string &name) const {
    struct stat st;
    if (m_fd < 0 || !isPlainName(name) ||
        fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISLNK(st.st_mode) ? Kind::Link : Kind::Special;
}

std::vector<std::string> FolderHandle::entryNames() const {
    std::vector<std::string> names;
    if (m_fd < 0)
        return names;
    // fdopendir takes over the descriptor it is given: hand it a copy.
    const int copy = openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            close(copy);
        return names;
    }
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::optional<std::int64_t> FolderHandle::modifiedAt(const std::string &name) const {
    struct stat st;
    if (m_fd < 0 || !isPlainName(name) ||
        fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return std::int64_t(st.st_mtim.tv_sec);
}

bool FolderHandle::removeFile(const std::string &name) const {
    return m_fd >= 0 && isPlainName(name) && unlinkat(m_fd, name.c_str(), 0) == 0;
}

bool FolderHandle::removeEntry(const std::string &name,
                               const std::function<bool()> &stopRequested) const {
    return m_fd >= 0 && isPlainName(name) && removeAt(m_fd, name, device(), 0, stopRequested);
}

std::optional<QByteArray> FolderHandle::readFile(const std::string &name,
                                                 std::uint64_t maxBytes) const {
    if (m_fd < 0 || !isPlainName(name))
        return std::nullopt;
    const int fd = openat(m_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> data = readOpenFile(fd, maxBytes);
    close(fd);
    return data;
}

bool FolderHandle::replaceFile(const std::string &name, const QByteArray &data,
                               const std::function<bool(const QByteArray &)> &accept) const {
    if (m_fd < 0 || !isPlainName(name))
        return false;
    struct stat original;
    mode_t mode = 0644;
    if (fstatat(m_fd, name.c_str(), &original, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(original.st_mode))
            return false;
        mode = original.st_mode & 07777;
    }
    std::string tempName;
    const int fd = createTemporary(m_fd, name, tempName);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (ok) {
        const std::optional<QByteArray> written = readOpenFile(fd, std::uint64_t(data.size()));
        ok = written && *written == data && (!accept || accept(*written));
    }
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = renameat(m_fd, tempName.c_str(), m_fd, name.c_str()) == 0;
    if (!ok) {
        unlinkat(m_fd, tempName.c_str(), 0);
        return false;
    }
    (void)fsync(
        m_fd); // the rename itself; a failure here leaves the new list in place all the same
    return true;
}

std::optional<QByteArray> readSmallFile(const std::filesystem::path &file, std::uint64_t maxBytes) {
    // Non-blocking, so that a FIFO in place of a property list cannot hang the caller.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> data = readOpenFile(fd, maxBytes);
    close(fd);
    return data;
}

} // namespace zembra::platform
