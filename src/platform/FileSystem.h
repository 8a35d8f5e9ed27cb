#pragma once
// File-system services the catalogue, the leftover search and the removals lean on.
//
// Paths are std::filesystem::path and keep the bytes the OS gave us: a Linux name need
// not be UTF-8, so a path is never rebuilt from display text. Every function here may be
// called from any thread; none throws.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zembra::platform {

namespace fs = std::filesystem;

enum class EntryType { File, Directory, Symlink, Other };

struct DirEntry {
    fs::path path;
    EntryType type = EntryType::Other;
    // The last component's bytes, as the listing gave them: a view into `path`.
    std::string_view nameView() const {
        const std::string &p = path.native();
        const size_t slash = p.rfind('/');
        return slash == std::string::npos ? std::string_view(p)
                                          : std::string_view(p).substr(slash + 1);
    }
    std::string name() const { return std::string(nameView()); }
};

// How a deep enumeration treats packages (folders such as Foo.app): with SkipPackages
// the package is delivered but not entered.
enum class EnumerationOptions { SkipHidden = 4, SkipHiddenAndPackageDescendants = 6 };

// The immediate entries of a folder, names starting with "." left out, sorted by the
// name's bytes. Missing, unreadable, a plain file, or a path whose last component is a
// symbolic link: nothing.
std::vector<DirEntry> listDirectory(const fs::path &folder);
// The same listing as names and types only, packed: no path is built per entry, so a
// large folder whose names are tested and mostly dropped costs a few allocations.
class FolderListing {
public:
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    std::string_view name(size_t i) const {
        return std::string_view(m_names).substr(m_entries[i].offset, m_entries[i].length);
    }
    EntryType type(size_t i) const { return m_entries[i].type; }
    // The entry's whole path, as `folder / name(i)` spells it.
    std::string pathOf(const fs::path &folder, size_t i) const;

    void add(std::string_view name, EntryType type);
    void sortByName();

private:
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        EntryType type;
    };
    std::string m_names;
    std::vector<Entry> m_entries;
};
FolderListing listNames(const fs::path &folder);
// Only the hidden entries of a folder (names starting with "."; not "." and ".."), in
// the same order, on the same terms.
std::vector<DirEntry> listHiddenEntries(const fs::path &folder);

// What a deep enumeration hands its visitor. `path` and `name` are views into a buffer
// that changes after the call returns; copy what you keep.
struct VisitedEntry {
    std::string_view path;
    std::string_view name;
    EntryType type;
    int dirFd; // handle of the folder holding the entry, valid during the call
};

// Pre-order walk below `folder` (the folder itself is not delivered): children sorted by
// name bytes, hidden names neither delivered nor entered, links delivered but never
// entered, another mounted file system delivered but not entered, unreadable subtrees
// skipped. A `stop` that turns true ends the walk before
// the next entry.
void enumerateDeep(const fs::path &folder, EnumerationOptions options,
                   const std::function<void(const VisitedEntry &)> &visit,
                   const std::function<bool()> &stop = {});

// An entry a deep find kept: its whole path and, at the path's end, its name.
struct FoundEntry {
    std::string path;
    EntryType type = EntryType::Other;
    std::uint32_t nameLength = 0;
    std::string_view name() const {
        return std::string_view(path).substr(path.size() - nameLength);
    }
};

// The entries below `folder` that `keep` accepts, in the order enumerateDeep would deliver
// them, on the same terms (hidden names neither kept nor entered, links never entered,
// packages per `options`, never into another mounted file system). Only what is kept is
// sorted. Large walks spread over a few threads, so `keep` may be called from several at
// once. `stop` is asked on the calling thread only; once it answers true the walk ends
// soon and what it found so far is returned, in order but incomplete.
using KeepEntry = std::function<bool(std::string_view name, EntryType type)>;
std::vector<FoundEntry> findDeep(const fs::path &folder, EnumerationOptions options,
                                 const KeepEntry &keep, const std::function<bool()> &stop = {});
// The same with the threads given: 1 walks on the calling thread only, more take helpers
// as soon as the walk is large, 0 (the default) once it is large and waits on the disk.
std::vector<FoundEntry> findDeep(const fs::path &folder, EnumerationOptions options,
                                 const KeepEntry &keep, const std::function<bool()> &stop,
                                 int threads);
// The threads every findDeep of this process uses when none are given (0 at start): tests
// and benchmarks hold the serial and the parallel walk side by side with it.
void setDeepFindThreads(int threads);

// True for the package extensions that option 6 does not enter (exact case).
bool isPackageExtension(std::string_view extension);

// Text after the last "." of a name; "" when there is none or the only "."
// is the first character.
std::string nameExtension(std::string_view name);
QString pathExtension(const fs::path &path);

// The last component, decoded for matching and display (invalid UTF-8 becomes U+FFFD).
QString lastComponent(const fs::path &path);
// The name the user sees: the last component, with a trailing ".app" hidden.
QString displayName(const fs::path &path);
// A whole path decoded for matching and display. Every path that is shown, stored as
// text or used as a key goes through this one decoding; where the bytes are not UTF-8
// (isUtf8) the text has lost some and the bytes must be kept beside it.
QString displayPath(const fs::path &path);
// The path whose bytes are `text` as UTF-8: the inverse of displayPath for UTF-8 paths.
fs::path pathFromText(const QString &text);

// Something exists at the path (a dangling link counts: it is something to delete).
bool itemExists(const fs::path &path);
// A real folder (a link to a folder is not one).
bool isRealDirectory(const fs::path &path);
bool isRegularFile(const fs::path &path);
// What tells one file from another at the same path: its device and inode, as the path
// names them (a link is not followed). Nothing when nothing is there. A folder that was
// deleted and made again, or renamed away and replaced, has another identity.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};
std::optional<FileIdentity> fileIdentity(const fs::path &path);
// A folder is there (links followed) but its entries cannot be listed or reached: a
// listing of it would read as empty. False when nothing or a file is there.
bool isUnreadableFolder(const fs::path &path);

// A file its size, a link its own size, a folder the sum over its deep enumeration
// (hidden skipped, packages entered, folders adding 0), a vanished entry 0.
std::uint64_t itemSize(const fs::path &path);

// Absolute and lexically normal, without resolving links.
fs::path absolutePath(const fs::path &path);

// True when `path` lies below `folder` (or is it, with `orSelf`), comparing whole
// components of the two paths as given (make them absolute first).
bool isWithin(const fs::path &path, const fs::path &folder, bool orSelf = false);

} // namespace zembra::platform
