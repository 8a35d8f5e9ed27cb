#pragma once
// A folder held open by handle, for reading and replacing a file in it without following
// any link: the folder is reached from a granted folder one component at a time, so a
// component swapped for a link (also mid-way) cannot lead the write elsewhere, and the
// temporary file of a replacement is made and renamed in that very folder.
// Owns its handle; movable, not copyable. Any thread may use its own instance.

#include <QByteArray>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zembra::platform {

class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle &&other) noexcept;
    FolderHandle &operator=(FolderHandle &&other) noexcept;
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    // Opens `base` (a granted folder: its own path may pass through links), then walks
    // down `relative` (see walkDown).
    static FolderHandle open(const std::filesystem::path &base,
                             const std::filesystem::path &relative);

    // A held folder by path, for walking down from it only (O_PATH where there is one):
    // the path itself may pass through links. Invalid when it is no folder.
    static FolderHandle openBase(const std::filesystem::path &folder);

    // The one way down from a held folder, shared by every deletion and rewrite: each
    // component of `relative` in turn, never through a link and never onto another
    // mounted file system (the device must stay this folder's, or `device` when given).
    // Invalid when `relative` is absolute, holds "..", "." or an empty component, or a
    // component is missing, a link, not a folder or on another device. An empty
    // `relative` gives this folder again.
    FolderHandle walkDown(const std::filesystem::path &relative) const;
    FolderHandle walkDown(const std::filesystem::path &relative, std::uint64_t device) const;

    // The device the folder lies on; 0 when invalid.
    std::uint64_t device() const;
    // The raw descriptor, for *at() calls; owned by this handle.
    int descriptor() const { return m_fd; }

    // The folder `folder` itself, its last component never through a link (the path up to
    // it may pass through links); with `create`, made (mode 0700, parents too) when missing.
    static FolderHandle openFolder(const std::filesystem::path &folder, bool create);

    bool isValid() const { return m_fd >= 0; }

    // The folder `name` of this folder, not through a link; with `create`, made (mode
    // 0700) when missing. Invalid when it is anything but a real folder.
    FolderHandle folder(const std::string &name, bool create) const;

    enum class Kind { Missing, File, Folder, Link, Special };
    // What `name` is, the entry itself (a link is a link, a FIFO is Special).
    Kind kindOf(const std::string &name) const;
    // The names of the entries, "." and ".." left out, in no particular order.
    std::vector<std::string> entryNames() const;
    // Seconds since the epoch of the last change of the regular file `name`.
    std::optional<std::int64_t> modifiedAt(const std::string &name) const;
    // Deletes the entry `name` when it is not a folder (a link goes, never its target).
    bool removeFile(const std::string &name) const;
    // Deletes the entry `name` whatever it is, a folder with everything inside it, never
    // following a link and never entering another mounted file system (such a folder
    // stays). `stopRequested` is asked before each entry of a folder being emptied: once
    // it says yes, the rest stays. False when anything stayed.
    bool removeEntry(const std::string &name,
                     const std::function<bool()> &stopRequested = {}) const;

    // The regular file `name` of this folder, not through a link; nothing when it is
    // missing, not a regular file, larger than `maxBytes` or unreadable. A FIFO in its
    // place never blocks the reader.
    std::optional<QByteArray> readFile(const std::string &name, std::uint64_t maxBytes) const;

    // Replaces the file `name` of this folder by `data`: writes a new temporary file in
    // this folder, reads it back, lets `accept` judge what was read (when given), and
    // renames it over `name`, keeping the replaced file's permissions. False, with the
    // folder as it was, when anything failed or `accept` refused; the temporary file
    // never stays behind.
    bool replaceFile(const std::string &name, const QByteArray &data,
                     const std::function<bool(const QByteArray &written)> &accept = {}) const;

private:
    explicit FolderHandle(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

// Reads a whole regular file by path (links followed, as a reader of bundles does),
// refusing anything over `maxBytes`; nothing on failure. A FIFO does not block it.
std::optional<QByteArray> readSmallFile(const std::filesystem::path &file, std::uint64_t maxBytes);

} // namespace zembra::platform
