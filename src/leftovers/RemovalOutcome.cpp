#include "leftovers/RemovalOutcome.h"

#include "platform/FileSystem.h"

namespace zembra::leftovers {

bool remainderStands(const std::vector<FileEntry> &remainder, const ExistsFunction &exists) {
    if (remainder.empty() || !remainder.front().isFileURL())
        return false;
    return exists ? exists(remainder.front().path())
                  : platform::itemExists(remainder.front().path());
}

} // namespace zembra::leftovers
