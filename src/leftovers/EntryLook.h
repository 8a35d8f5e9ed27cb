#pragma once
// How the review shows one file row: which icon and which name. A pure function of the
// entry's path (and whether it is a folder, which the caller learns off the GUI thread),
// so the rules can be checked as a table and the table view never touches the disk.

#include <QString>

#include <filesystem>

namespace zembra::leftovers {

enum class EntryIcon {
    Folder,      // a folder keeps the row's folder image
    Document,    // the plain document icon of the empty file type
    ItemBundle,  // the icon of the item's own bundle (second entry of the list)
    Preferences, // the application's "preferences" image
    WebLocation, // file type "webloc"
    CrashReport, // file type "crash"
    LaunchAgent, // the application's "launch_agent" image
    BundleType,  // file type "bundle"
    Help,        // file type "help"
    Workflow,    // file type "workflow"
    OwnIcon,     // the workspace icon of the entry itself
};

struct EntryLook {
    EntryIcon icon = EntryIcon::Document;
    QString name;
    bool operator==(const EntryLook &) const = default;
};

// The rules apply in order, a later one overriding an earlier one; every "contains" is a
// case-sensitive substring test on the whole path.
EntryLook entryLook(const std::filesystem::path &path, bool isFolder);

} // namespace zembra::leftovers
