#pragma once
// The deep find's engine, for the file-system services that need the open folder of each
// entry (sizes ask each file its length there).

#include "platform/FileSystem.h"

#include <functional>

namespace zembra::platform::posix {

// As findDeep, with the open folder holding the entry. `name` is followed by a NUL.
using KeepAt = std::function<bool(int dirFd, std::string_view name, EntryType type)>;
std::vector<FoundEntry> findBelow(const fs::path &folder, EnumerationOptions options,
                                  const KeepAt &keep, const std::function<bool()> &stop,
                                  int threads);

} // namespace zembra::platform::posix
