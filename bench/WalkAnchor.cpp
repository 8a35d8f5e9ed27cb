// The single-thread limit the leftover search's walk is measured against: the folders the
// search reads (the listing folders one level, the deep folders whole, packages not
// entered where the search does not enter them, same device only, no link followed, hidden
// names skipped), every name ASCII-folded and tested against every key, and the sizes of
// what matched summed. Plain getdents64 on openat descriptors, nothing of the product.
//
//   zembra-bench-walk-anchor [-k KEY]... [-l FOLDER]... [-d FOLDER]... [-p FOLDER]...
//     -k a name key (matched case-insensitively as a substring)
//     -l a folder listed one level    -d a folder walked whole
//     -p a folder walked whole without entering packages
// Prints the number of matches and their total size.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

struct Dirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

std::vector<std::string> g_keys;
std::vector<std::string> g_matches;
std::vector<std::vector<char>> g_buffers(600); // one a depth, reused
std::string g_folded;

const char *const kPackages[] = {"app",       "appex",     "bundle",      "component",
                                 "framework", "kext",      "mdimporter",  "photoslibrary",
                                 "plugin",    "prefPane",  "qlgenerator", "rtfd",
                                 "saver",     "webplugin", "wdgt",        "xpc"};

bool isPackage(const char *name) {
    const char *dot = std::strrchr(name, '.');
    if (!dot || dot == name)
        return false;
    for (const char *p : kPackages)
        if (std::strcmp(dot + 1, p) == 0)
            return true;
    return false;
}

bool matches(const char *name) {
    g_folded.assign(name);
    for (char &c : g_folded)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    for (const std::string &k : g_keys)
        if (g_folded.find(k) != std::string::npos)
            return true;
    return false;
}

int openChild(int parent, const char *name) {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH;
    return int(syscall(SYS_openat2, parent, name, &how, sizeof how));
}

// Reads the whole folder into the depth's buffer; returns its length.
long readAll(int fd, int depth) {
    std::vector<char> &buf = g_buffers[size_t(depth)];
    if (buf.size() < 32768)
        buf.resize(32768);
    long used = 0;
    for (;;) {
        if (buf.size() - size_t(used) < 16384)
            buf.resize(buf.size() * 2);
        const long got =
            long(syscall(SYS_getdents64, fd, buf.data() + used, buf.size() - size_t(used)));
        if (got <= 0)
            return used;
        used += got;
    }
}

template <class Each> void eachEntry(int depth, long used, Each each) {
    const char *base = g_buffers[size_t(depth)].data();
    for (long at = 0; at < used;) {
        const auto *d = reinterpret_cast<const Dirent64 *>(base + at);
        at += d->d_reclen;
        if (d->d_name[0] == '.')
            continue; // ".", ".." and the hidden names
        each(d);
    }
}

// `test`: names are tested (a search walk); otherwise sizes are summed.
void walk(int fd, std::string &path, int depth, bool deep, bool skipPackages, bool test,
          std::uint64_t &bytes) {
    const long used = readAll(fd, depth);
    const size_t base = path.size();
    eachEntry(depth, used, [&](const Dirent64 *d) {
        unsigned char type = d->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(st.st_mode)   ? DT_DIR
                       : S_ISREG(st.st_mode) ? DT_REG
                       : S_ISLNK(st.st_mode) ? DT_LNK
                                             : 0;
        }
        if (test && matches(d->d_name)) {
            path.resize(base);
            path += '/';
            path += d->d_name;
            g_matches.push_back(path);
        }
        if (!test && (type == DT_REG || type == DT_LNK)) {
            struct stat st;
            if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                bytes += std::uint64_t(st.st_size);
        }
        if (!deep || type != DT_DIR || depth >= 512 || (skipPackages && isPackage(d->d_name)))
            return;
        const int child = openChild(fd, d->d_name);
        if (child < 0)
            return;
        path.resize(base);
        path += '/';
        path += d->d_name;
        walk(child, path, depth + 1, deep, skipPackages, test, bytes);
        close(child);
    });
    path.resize(base);
}

void search(const char *folder, bool deep, bool skipPackages) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    std::string path = folder;
    std::uint64_t unused = 0;
    walk(fd, path, 0, deep, skipPackages, true, unused);
    close(fd);
}

std::uint64_t sizeOf(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? std::uint64_t(st.st_size) : 0;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::string p = path;
    std::uint64_t bytes = 0;
    walk(fd, p, 0, true, false, false, bytes);
    close(fd);
    return bytes;
}

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "-k") {
            std::string k = argv[i + 1];
            for (char &c : k)
                if (c >= 'A' && c <= 'Z')
                    c = char(c + 32);
            g_keys.push_back(k);
        }
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "-l" || opt == "-d" || opt == "-p")
            search(argv[i + 1], opt != "-l", opt == "-p");
    }
    std::uint64_t total = 0;
    for (const std::string &m : g_matches)
        total += sizeOf(m);
    std::printf("%zu matches, %llu bytes\n", g_matches.size(),
                static_cast<unsigned long long>(total));
    return 0;
}
