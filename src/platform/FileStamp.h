#pragma once
// What tells whether a file may have changed since it was last looked at, without reading
// it. Plain functions; any thread.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace zembra::platform {

// Device, inode, size, and the modification and change times in nanoseconds.
//
// The change time is the one that cannot be faked: setting the modification time back
// (utimensat, touch -d, a copy keeping times) sets the change time to now, and so does
// every write and every rename onto the path. Together with the inode (a new file, or a
// folder made again) and the size, an unchanged stamp means unchanged contents, except
// for a change made within the same tick of the file system's clock as the stamp was
// taken: see changedRecently.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp &) const = default;
};

enum class FollowLinks { No, Yes };

// Nothing when nothing is there (with FollowLinks::Yes: also a dangling link).
std::optional<FileStamp> fileStamp(const char *path, FollowLinks follow);
inline std::optional<FileStamp> fileStamp(const std::filesystem::path &path, FollowLinks follow) {
    return fileStamp(path.c_str(), follow);
}

// Modified or changed less than `window` ago by the system clock (or in the future): a
// stamp taken now may not tell a further change within the same tick apart, on file
// systems whose times are coarse (a second on some, a few milliseconds on Linux's own).
bool changedRecently(const FileStamp &stamp, std::chrono::nanoseconds window);

} // namespace zembra::platform
