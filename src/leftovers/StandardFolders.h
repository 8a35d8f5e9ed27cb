#pragma once
// The standard folders of a Library folder (Application Support, Caches, Preferences,
// Safari, ...). Every application keeps its data inside them, so one of them standing
// directly in a home or system Library folder is never the leftover of one item, however
// generic the item's name ("C", "Safari"); only entries inside them can be.

#include <string_view>

namespace zembra::leftovers {

// True when `name` is one of the standard folder names (ASCII case ignored, as on a
// case-insensitive volume).
bool isStandardLibraryFolder(std::string_view name);

} // namespace zembra::leftovers
