#pragma once
// What an application left behind, in short: how many entries the review's leftover
// search finds besides the application's own bundle, and what they weigh. The background
// watcher names it in its notices; the list of removed applications shows it and lists
// only applications for which it is not nothing.
//
// Runs the whole search synchronously on the calling thread, on a copy of the record
// (the record itself is left alone). Safe on a worker.

#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"

#include <cstdint>

namespace zembra::leftovers {

struct LeftoverWeight {
    int count = 0;           // entries that exist
    std::uint64_t bytes = 0; // their sizes, summed as the review shows them
    bool empty() const { return count == 0; }
};

LeftoverWeight weighLeftovers(const ItemRecord &item, platform::SettingsStore &settings);

} // namespace zembra::leftovers
