#pragma once
// Whether a bundle on disk is the application a record was made from. A record outlives
// its bundle (the watcher remembers it, a review keeps it while the user decides), and
// another application may be installed at the same path meanwhile: what sits there is
// deleted as the record's own bundle only when it is the same application.
// Plain function; any thread.

#include "catalogue/ItemRecord.h"

#include <filesystem>

namespace zembra {

// True when `bundle` is a bundle (a real folder with an information dictionary) of the
// record's application: the same identifier when the record has a non-empty one;
// otherwise the same identity fields (identifier, name, executable).
bool isSameApplication(const ItemRecord &item, const std::filesystem::path &bundle);

} // namespace zembra
