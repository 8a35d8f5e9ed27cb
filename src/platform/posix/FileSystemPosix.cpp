// POSIX implementation of the file-system services: directory handles, no link is ever
// followed below the path the caller names.
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

namespace {

constexpr int kMaxDepth = 512;

EntryType typeFromMode(mode_t mode) {
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Directory;
    if (S_ISLNK(mode))
        return EntryType::Symlink;
    return EntryType::Other;
}

EntryType typeFromDirent(int dirFd, const dirent *d) {
    switch (d->d_type) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Directory;
    case DT_LNK:
        return EntryType::Symlink;
    case DT_UNKNOWN: {
        struct stat st;
        if (fstatat(dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            return typeFromMode(st.st_mode);
        return EntryType::Other;
    }
    default:
        return EntryType::Other;
    }
}

struct RawEntry {
    std::string name;
    EntryType type;
};

// Reads and sorts the entries of an open folder; takes ownership of `fd`.
// With `withHidden` the dot-names are kept (deletion needs them), "." and ".." never.
std::vector<RawEntry> readEntries(int fd, bool withHidden) {
    std::vector<RawEntry> out;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return out;
    }
    while (const dirent *d = readdir(dir)) {
        const char *n = d->d_name;
        if (n[0] == '.') {
            if (!withHidden || n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))
                continue;
        }
        out.push_back({std::string(n), typeFromDirent(dirfd(dir), d)});
    }
    closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const RawEntry &a, const RawEntry &b) { return a.name < b.name; });
    return out;
}

int openFolder(const fs::path &folder) {
    return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int openChildFolder(int parentFd, const std::string &name) {
    return openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void walk(int fd, std::string &pathBuf, EnumerationOptions options, int depth,
          const std::function<void(const VisitedEntry &)> &visit,
          const std::function<bool()> &stop = {}) {
    // Keep our own handle for openat(); readEntries() consumes one.
    const int listFd = dup(fd);
    if (listFd < 0)
        return;
    const std::vector<RawEntry> entries = readEntries(listFd, false);
    const size_t baseLen = pathBuf.size();
    for (const RawEntry &e : entries) {
        if (stop && stop())
            break;
        pathBuf.resize(baseLen);
        if (pathBuf.empty() || pathBuf.back() != '/')
            pathBuf.push_back('/');
        pathBuf += e.name;
        const std::string_view full(pathBuf);
        visit({full, full.substr(full.size() - e.name.size()), e.type, fd});
        if (e.type != EntryType::Directory || depth >= kMaxDepth)
            continue;
        if (options == EnumerationOptions::SkipHiddenAndPackageDescendants &&
            isPackageExtension(nameExtension(e.name)))
            continue;
        const int child = openChildFolder(fd, e.name);
        if (child < 0)
            continue;
        walk(child, pathBuf, options, depth + 1, visit, stop);
        close(child);
    }
    pathBuf.resize(baseLen);
}

} // namespace

std::vector<DirEntry> listDirectory(const fs::path &folder) {
    std::vector<DirEntry> out;
    const int fd = openFolder(folder);
    if (fd < 0)
        return out;
    for (RawEntry &e : readEntries(fd, false))
        out.push_back({folder / e.name, e.type});
    return out;
}

std::vector<DirEntry> listHiddenEntries(const fs::path &folder) {
    std::vector<DirEntry> out;
    const int fd = openFolder(folder);
    if (fd < 0)
        return out;
    for (RawEntry &e : readEntries(fd, true))
        if (!e.name.empty() && e.name[0] == '.')
            out.push_back({folder / e.name, e.type});
    return out;
}

void enumerateDeep(const fs::path &folder, EnumerationOptions options,
                   const std::function<void(const VisitedEntry &)> &visit,
                   const std::function<bool()> &stop) {
    const int fd = openFolder(folder);
    if (fd < 0)
        return;
    std::string pathBuf = folder.native();
    while (pathBuf.size() > 1 && pathBuf.back() == '/')
        pathBuf.pop_back();
    walk(fd, pathBuf, options, 0, visit, stop);
    close(fd);
}

bool itemExists(const fs::path &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool isRealDirectory(const fs::path &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FileIdentity> fileIdentity(const fs::path &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

bool isRegularFile(const fs::path &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isUnreadableFolder(const fs::path &path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno != ENOENT && errno != ENOTDIR; // a folder above it is closed to us
    if (!S_ISDIR(st.st_mode))
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    // Listing needs read permission, reaching the entries search permission.
    const bool unreadable = faccessat(fd, ".", X_OK, AT_EACCESS) != 0;
    close(fd);
    return unreadable;
}

std::uint64_t itemSize(const fs::path &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? std::uint64_t(st.st_size) : 0;
    const int fd = openFolder(path);
    if (fd < 0)
        return 0;
    std::uint64_t total = 0;
    std::string pathBuf = path.native();
    walk(fd, pathBuf, EnumerationOptions::SkipHidden, 0, [&](const VisitedEntry &e) {
        if (e.type != EntryType::File && e.type != EntryType::Symlink)
            return;
        struct stat est;
        const std::string name(e.name);
        if (fstatat(e.dirFd, name.c_str(), &est, AT_SYMLINK_NOFOLLOW) == 0)
            total += std::uint64_t(est.st_size);
    });
    close(fd);
    return total;
}

} // namespace zembra::platform
