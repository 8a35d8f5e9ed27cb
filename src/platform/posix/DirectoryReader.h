#pragma once
// Reading one open folder's entries, the way every walk of this code base does it: in the
// order the file system keeps them, "." and ".." left out, names as the raw bytes.
//
// On Linux the folder's own descriptor is read with getdents64 into a buffer kept from
// folder to folder (no dup, no DIR stream, no allocation per entry); elsewhere through
// readdir on a duplicate of the descriptor.

#include "platform/FileSystem.h"

#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zembra::platform::posix {

class DirectoryReader {
public:
    // Calls `each(name, type)` for every entry of the folder open as `fd` (the descriptor
    // stays open and owned by the caller). A type the listing leaves open is asked of the
    // entry itself, without following a link. False when the folder could not be read
    // to its end (what was read has been delivered).
    template <class Each> bool read(int fd, Each &&each) {
        bool ok = true;
        for (;;) {
            const long got = fill(fd);
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            for (long at = 0; at < got;) {
                const Raw r = decode(at);
                at += r.length;
                if (r.name[0] == '.' &&
                    (r.name[1] == '\0' || (r.name[1] == '.' && r.name[2] == '\0')))
                    continue;
                const std::string_view name(r.name);
                each(name, r.type == EntryType::Other && r.unknown ? typeAt(fd, r.name) : r.type);
            }
        }
        finish();
        return ok;
    }

private:
    struct Raw {
        const char *name;
        long length;
        EntryType type;
        bool unknown;
    };
    long fill(int fd);
    Raw decode(long at) const;
    void finish();
    static EntryType typeAt(int fd, const char *name);

    std::vector<char> m_buffer;
    void *m_stream = nullptr; // the portable path's DIR stream
    const void *m_current = nullptr;
};

EntryType typeFromMode(mode_t mode);

// A folder below an open one, by its name: never through a link, never into another
// mounted file system (`device` is the walk's own). -1 when it cannot be opened so.
int openChildFolder(int parentFd, const char *name, dev_t device);
// The device of an open folder; false when it cannot be asked.
bool deviceOf(int fd, dev_t &device);
// Opens the folder a walk starts from; its last component must not be a link.
int openFolder(const char *path);

} // namespace zembra::platform::posix
