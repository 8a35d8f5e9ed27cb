// POSIX implementation of the file-system services: directory handles, no link is ever
// followed below the path the caller names.
#include "platform/FileSystem.h"

#include "platform/posix/DeepFind.h"
#include "platform/posix/DirectoryReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

using posix::DirectoryReader;
using posix::openChildFolder;
using posix::openFolder;

namespace {

constexpr int kMaxDepth = 512;

// The entries of one folder: names packed into one buffer, sorted through an index, so a
// folder costs a few allocations whatever its size.
struct SortedEntries {
    std::string names;
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        EntryType type;
    };
    std::vector<Entry> entries;

    std::string_view name(const Entry &e) const { return {names.data() + e.offset, e.length}; }

    void read(DirectoryReader &reader, int fd, bool withHidden) {
        names.clear();
        entries.clear();
        reader.read(fd, [&](std::string_view n, EntryType type) {
            if (n[0] == '.' && !withHidden)
                return;
            entries.push_back({std::uint32_t(names.size()), std::uint32_t(n.size()), type});
            names.append(n);
        });
        std::sort(entries.begin(), entries.end(),
                  [this](const Entry &a, const Entry &b) { return name(a) < name(b); });
    }
};

void walk(int fd, dev_t device, std::string &pathBuf, EnumerationOptions options, int depth,
          DirectoryReader &reader, const std::function<void(const VisitedEntry &)> &visit,
          const std::function<bool()> &stop) {
    SortedEntries listed;
    listed.read(reader, fd, false);
    const size_t baseLen = pathBuf.size();
    std::string childName;
    for (const SortedEntries::Entry &e : listed.entries) {
        if (stop && stop())
            break;
        const std::string_view name = listed.name(e);
        pathBuf.resize(baseLen);
        if (pathBuf.empty() || pathBuf.back() != '/')
            pathBuf.push_back('/');
        pathBuf += name;
        const std::string_view full(pathBuf);
        visit({full, full.substr(full.size() - name.size()), e.type, fd});
        if (e.type != EntryType::Directory || depth >= kMaxDepth)
            continue;
        if (options == EnumerationOptions::SkipHiddenAndPackageDescendants &&
            isPackageExtension(nameExtension(name)))
            continue;
        childName.assign(name);
        const int child = openChildFolder(fd, childName.c_str(), device);
        if (child < 0)
            continue;
        walk(child, device, pathBuf, options, depth + 1, reader, visit, stop);
        close(child);
    }
    pathBuf.resize(baseLen);
}

FolderListing listedNames(const fs::path &folder, bool withHidden) {
    FolderListing out;
    const int fd = openFolder(folder.c_str());
    if (fd < 0)
        return out;
    DirectoryReader reader;
    reader.read(fd, [&](std::string_view n, EntryType type) {
        if (n[0] != '.' || withHidden)
            out.add(n, type);
    });
    close(fd);
    out.sortByName();
    return out;
}

std::vector<DirEntry> listed(const fs::path &folder, bool hiddenOnly) {
    const FolderListing names = listedNames(folder, hiddenOnly);
    std::vector<DirEntry> out;
    out.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        if (!hiddenOnly || names.name(i)[0] == '.')
            out.push_back({folder / names.name(i), names.type(i)});
    return out;
}

} // namespace

void FolderListing::add(std::string_view name, EntryType type) {
    m_entries.push_back({std::uint32_t(m_names.size()), std::uint32_t(name.size()), type});
    m_names.append(name);
}

void FolderListing::sortByName() {
    const char *names = m_names.data();
    std::sort(m_entries.begin(), m_entries.end(), [names](const Entry &a, const Entry &b) {
        return std::string_view(names + a.offset, a.length) <
               std::string_view(names + b.offset, b.length);
    });
}

std::string FolderListing::pathOf(const fs::path &folder, size_t i) const {
    std::string path = folder.native();
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    path += name(i);
    return path;
}

FolderListing listNames(const fs::path &folder) {
    return listedNames(folder, false);
}

std::vector<DirEntry> listDirectory(const fs::path &folder) {
    return listed(folder, false);
}

std::vector<DirEntry> listHiddenEntries(const fs::path &folder) {
    return listed(folder, true);
}

void enumerateDeep(const fs::path &folder, EnumerationOptions options,
                   const std::function<void(const VisitedEntry &)> &visit,
                   const std::function<bool()> &stop) {
    const int fd = openFolder(folder.c_str());
    if (fd < 0)
        return;
    dev_t device = 0;
    if (posix::deviceOf(fd, device)) {
        std::string pathBuf = folder.native();
        while (pathBuf.size() > 1 && pathBuf.back() == '/')
            pathBuf.pop_back();
        DirectoryReader reader;
        walk(fd, device, pathBuf, options, 0, reader, visit, stop);
    }
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
    // Sizes add up in any order: nothing is kept, nothing sorted.
    std::uint64_t total = 0;
    posix::findBelow(
        path, EnumerationOptions::SkipHidden,
        [&](int dirFd, std::string_view name, EntryType type) {
            struct stat est;
            if ((type == EntryType::File || type == EntryType::Symlink) &&
                fstatat(dirFd, name.data(), &est, AT_SYMLINK_NOFOLLOW) == 0)
                total += std::uint64_t(est.st_size);
            return false;
        },
        {}, 1);
    return total;
}

} // namespace zembra::platform
