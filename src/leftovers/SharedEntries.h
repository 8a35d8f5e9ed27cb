#pragma once
// Entries that another installed application uses too. The leftover search matches
// names by substrings, so it also lists what belongs to a sibling application
// (com.lumina.sketchpad2.plist when removing Sketchpad) or to a whole vendor
// (Caches/Lumina). Such rows are flagged, and start unticked.
//
// "More specifically" — the rule, in one place:
//   An application's *tie* to a name is the length of the longest of its keys that the
//   name holds, by the tests the search uses: contained (folded, as the contains test)
//   for the identifier, the bundle name, the label, the label with "_" for blanks and
//   the executable; equal (byte for byte, as the equals test) for the identifier's last
//   component and for the capitalised vendor ("Lumina" for com.lumina.*). The item also
//   ties by the short label and by its vendor contained in the name, the keys some
//   passes list with; another application's keys shorter than three characters and the
//   "empty_string" placeholder tie nothing.
//   A name behind a team ID (ten upper-case letters or digits, then ".") or "group."
//   ties to the application that the rest names — the rest starts with its identifier
//   (whole components, folded) or its first component, without blanks, "-" and "_", is
//   its label, CFBundleName or executable — by the length of that rest (folded):
//   Group Containers/7Y3Q5XK2AB.NimbusNotes is Nimbus Notes's, not a Notes app's.
//   - Another application whose tie is longer than the item's takes the row: flagged
//     with its label (all such applications with the longest tie, in catalogue order).
//     A name equal to the other's label, or holding its longer identifier, is such a row.
//   - Applications (the item among them) tying equally, the item's tie not zero: the row
//     is "shared" (the vendor folder both use, a name both use whole).
//   - A row inside a listed folder that is flagged carries that folder's flag.
//   - The item's own bundle, and anything inside it, is never flagged; a second copy of
//     the item elsewhere (same bundle path) is not "another" application.
// Lengths count the folded text's bytes. Thread: any; the object only reads.

#include "catalogue/Application.h"
#include "catalogue/ItemRecord.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zembra::leftovers {

struct SharedFlag {
    bool shared = false; // tied as much to the item as to the others
    QStringList others;  // the other applications' labels; empty: not flagged
    bool flagged() const { return !others.isEmpty(); }
    // What a row shows: the other application's name, or "shared".
    QString text() const;
    // Why a removal keeps the row: "also used by Sketchpad 2", "shared with Sketchpad 2".
    QString keptReason() const;
};

class InstalledOwners;

class SharedEntries {
public:
    // `installed`: every installed application (Application::everyInstalledApplication);
    // the item itself (same bundle path) is left out.
    SharedEntries(const ItemRecord &item, const ApplicationList &installed);
    // The same, from keys already derived for every installed application (see below).
    SharedEntries(const ItemRecord &item, const InstalledOwners &installed);

    // The flag of one entry, by its name alone.
    SharedFlag flagOf(const std::filesystem::path &entry) const;
    // One flag per row of `files` (markers unflagged), with the folder rule above.
    std::vector<SharedFlag> flagsOf(const std::vector<FileEntry> &files) const;

    struct Key {
        std::string text; // folded for a contained key, as given for an equal key
        bool equals = false;
    };
    struct Owner {
        QString label;
        std::vector<Key> keys;
        std::vector<std::string> identifier; // folded components; empty when it has fewer than two
        std::vector<std::string> names;      // label, CFBundleName, executable: folded, squeezed
    };

    // One installed application's keys, and its bundle's absolute path.
    struct InstalledOwner {
        std::shared_ptr<const ApplicationItem> record;
        std::filesystem::path path;
        Owner owner;
    };
    // The installed applications' keys in catalogue order. Those it reuses live in the
    // lists it was made from, which it keeps: no count per application is touched to share
    // them, so reusing ten thousand costs a copy of their addresses.
    struct InstalledOwnerList {
        std::vector<const InstalledOwner *> owners;
        std::vector<std::unique_ptr<const InstalledOwner>> made; // derived for this list
        std::shared_ptr<const InstalledOwnerList> earlier;       // holds the reused ones
        size_t held = 0; // owners made by this list and the earlier ones
    };

private:
    void leaveOutItem();

    Owner m_item;
    std::filesystem::path m_itemPath;
    std::shared_ptr<const InstalledOwnerList> m_installed;
    std::vector<const Owner *> m_others; // into m_installed, in catalogue order
};

// Every installed application's keys, kept across updates of the list: a record the list
// still holds (the same object, as the watcher's running list keeps unchanged bundles)
// keeps the keys derived from it, so an update costs what changed. Not thread-safe.
class InstalledOwners {
public:
    void update(const ApplicationList &installed);
    // How many applications' keys the last update derived anew.
    size_t derivedInLastUpdate() const { return m_derived; }

private:
    friend class SharedEntries;
    std::shared_ptr<const SharedEntries::InstalledOwnerList> m_owners;
    std::vector<const ApplicationItem *> m_records; // m_owners' records, side by side
    size_t m_derived = 0;
};

} // namespace zembra::leftovers
