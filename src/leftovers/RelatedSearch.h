#pragma once
// "Possibly related": a step after the leftover search that looks where its passes do
// not — HTTPStorages, ByHost preferences, team-ID and group prefixes, the identifiers of
// an application's helpers and updaters, vendor sub-folders (Caches/Vendor/Product),
// and folders in the home named after the product (~/.product). It never changes the
// search's own list; the review and the command line append its entries as a group of
// their own, each with the reason it matched, unticked.
//
// Matching is conservative: identifiers compare by whole "."-separated components
// (ASCII case ignored), a team ID is exactly ten upper-case letters or digits, a vendor
// sub-folder counts only when the product's name is a whole entry below the vendor's
// folder. Never listed: an entry the search listed or one inside it, a standard folder,
// a folder a pass reads, anything behind a symbolic link or outside the granted folders.
//
// Besides the record, it reads what the bundle itself names (bounded): the identifiers of
// the bundles inside it (helpers, login items, XPC services, extensions, updaters; not
// those of another vendor's framework) and the team and application groups of its main
// executable's signature. What a bundle claims is not trusted blindly: a group ties
// strongly only when it starts with the signature's team ID or is "group." + one of the
// application's own identifiers, and an inner identifier only when it shares the
// application's vendor domain.
// Reads only; any thread.

#include "catalogue/ItemRecord.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/SharedEntries.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace zembra::leftovers {

struct RelatedEntry {
    std::filesystem::path path;
    QString reason; // "same identifier in HTTPStorages", "team-ID prefix", "vendor folder", ...
    // Tied to the application itself (its identifier or one of its own bundles' exactly,
    // an application group its signature owns, its name below its vendor's folder): the
    // review ticks it. Everything else starts unticked.
    bool strong = false;
    // A row the search already listed, found there only by weak keys: this strong tie
    // makes it the item's own (the review clears its weak mark instead of adding a row).
    bool listed = false;
};

// `item` as the search left it: its `files` are what is already listed. `flags`, one per
// row of `files` when given: a flagged folder starts unticked, so what lies inside it may
// still be offered (Caches/Lumina shared, Caches/Lumina/Sketchpad the item's own).
// `listed`, when given: what the search of `item` listed, read instead of listing a folder
// again.
std::vector<RelatedEntry> findRelated(const ItemRecord &item, platform::SettingsStore &settings,
                                      const std::vector<SharedFlag> &flags = {},
                                      const FolderListings *listed = nullptr);

// How an entry's name ties to the item's identifier, or "" (exposed for the tests).
// `identifier` is the item's bundle identifier, `products` its product names.
QString identifierRelation(const std::string &name, const QString &identifier,
                           const QStringList &products);

} // namespace zembra::leftovers
