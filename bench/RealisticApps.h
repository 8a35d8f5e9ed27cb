#pragma once
// A made-up but realistic Mac: seventeen installed applications (Apple's Mail and
// Terminal, a Utilities tool, among them) and what each leaves in the home and system Library
// folders, laid out after the documented conventions (preferences named by bundle
// identifier, sandbox containers, team-ID and group containers, ByHost preferences,
// HTTPStorages, saved state, vendor folders) and the usual habits of applications
// (Electron's ShipIt caches, helpers and updaters with identifiers of their own,
// dot folders in the home). Each entry is tagged with the applications that use it,
// so a review can be scored: what it finds of the item's own entries, and whether any
// other installed application's entry starts selected.
//
// Plain std::filesystem and the core: used by the tests and by bench/.

#include "platform/SettingsStore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zembra::fixtures {

namespace fs = std::filesystem;

struct RealisticApp {
    std::string bundle;     // relative to the root: Applications/Sketchpad.app
    std::string identifier; // com.lumina.sketchpad
    std::string name;       // CFBundleName and CFBundleExecutable
    // Entries only this application uses, relative to the root; a trailing "/" makes a
    // folder (with a file inside). "~/" stands for the home folder.
    std::vector<std::string> own;
};

// The applications, and the entries two or more of them use (vendor folders).
const std::vector<RealisticApp> &realisticApps();
struct SharedFixtureEntry {
    std::string path;
    std::vector<std::string> users; // identifiers
};
const std::vector<SharedFixtureEntry> &realisticSharedEntries();

// Builds the applications and every entry below `root`; the home is root/Users/me.
void buildRealisticMac(const fs::path &root);
// The grants of that tree (home, Applications, the whole disk) as overrides.
void grantRealisticMac(platform::SettingsStore &settings, const fs::path &root);

struct ReviewFigures {
    size_t own = 0;            // the items' own entries, summed over the items
    size_t inReview = 0;       // ... listed by the review (ticked, flagged or related)
    size_t preselected = 0;    // ... covered by a row that starts ticked
    size_t othersSelected = 0; // other applications' entries a ticked row would delete
    // The same two counts for the search's list alone, every row ticked (as before).
    size_t searchOnlyFound = 0;
    size_t searchOnlyOthersSelected = 0;
    std::vector<std::string> misses;          // "item: entry" not in the review
    std::vector<std::string> wronglySelected; // "item: entry" of another application
    std::vector<std::string> nowUnticked;     // "item: entry" the search listed, now unticked
};

// Searches, reviews (with the related group) and scores every application in turn.
ReviewFigures scoreReviews(const fs::path &root, platform::SettingsStore &settings);

} // namespace zembra::fixtures
