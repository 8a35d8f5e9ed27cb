#include "platform/FileStamp.h"

#include <sys/stat.h>
#include <time.h>

namespace zembra::platform {

namespace {
std::int64_t nanoseconds(const struct timespec &t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}
} // namespace

std::optional<FileStamp> fileStamp(const char *path, FollowLinks follow) {
    struct stat st;
    const int result = follow == FollowLinks::Yes ? stat(path, &st) : lstat(path, &st);
    if (result != 0)
        return std::nullopt;
    return FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                     nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

bool changedRecently(const FileStamp &stamp, std::chrono::nanoseconds window) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t since = nanoseconds(now) - window.count();
    return stamp.modifiedNs >= since || stamp.changedNs >= since;
}

} // namespace zembra::platform
