#pragma once
// The folders that no review lists and no removal deletes, whatever a record or a search
// result names: the granted folders and every folder above them, their Library folders,
// the standard folders standing directly in a Library folder, and the folders the
// leftover search reads. Every application keeps its data in them, and the user's own
// files lie below the home: one of them on a list is a fault, never a leftover.
//
// A path is compared as given (absolute, lexically normal) and with the links above its
// last component resolved, so a second way to the home is caught too; a link itself is
// never a protected folder (deleting a link deletes only the link). A value: build it
// once for a search or a removal and use it on one thread (it caches what it resolved).

#include "catalogue/FileEntry.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zembra::leftovers {

class ProtectedFolders {
public:
    // Protects the root of the file system only.
    ProtectedFolders();
    // `granted`: the granted folders (Applications, home, the whole disk). Each one is
    // read as a home and as a system root alike: more protection never harms.
    explicit ProtectedFolders(const std::vector<std::filesystem::path> &granted);

    bool contains(const std::filesystem::path &entry) const;

private:
    void add(std::vector<std::string> &to, const std::filesystem::path &folder);
    std::vector<std::string> formsOf(const std::filesystem::path &entry) const;

    std::vector<std::filesystem::path>
        m_roots;                          // the granted folders, for the shared folders below them
    std::vector<std::string> m_folders;   // protected themselves, and every folder above them
    std::vector<std::string> m_libraries; // protected, and their standard folders
    mutable std::map<std::string, std::string> m_resolvedParents; // cache of resolved parents
};

// `files` without the rows `protectedFolders` holds; a marker whose every row went with
// them goes too (an empty group is no leftover either), except the Executables marker,
// which heads every list. `rowFlags`, when given, holds one flag per row of `files` and is
// cut down to the rows kept, so it stays parallel to the result.
std::vector<FileEntry> withoutProtected(const std::vector<FileEntry> &files,
                                        const ProtectedFolders &protectedFolders,
                                        std::vector<bool> *rowFlags = nullptr);

} // namespace zembra::leftovers
