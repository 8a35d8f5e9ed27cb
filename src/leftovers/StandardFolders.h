#pragma once
// The folders every application shares. The standard folders of a Library folder
// (Application Support, Caches, Preferences, Safari, ...), the shared folders macOS keeps
// inside some of them (Preferences/ByHost, Logs/DiagnosticReports, ...) and the per-user
// roots of the disk's var/folders hold the data of every application, so none of them is
// ever the leftover of one item, however generic the item's name ("C", "ByHost"); only
// entries inside them can be. This is the one list: the search and the removal's guard
// both ask it.
//
// Names compare without ASCII case, as on a case-insensitive volume. Plain functions of
// their arguments: any thread.

#include <filesystem>
#include <string_view>
#include <vector>

namespace zembra::leftovers {

// True when `name` is one of the standard folder names of a Library folder.
bool isStandardLibraryFolder(std::string_view name);

// True when `path` is a folder no removal of one item may take whole: one of `roots`
// itself (the home folder, the disk's root), its Library folder, a standard folder of
// that Library or a shared folder inside one, or its var/folders or one of the per-user
// roots below it (var/folders/X, var/folders/X/Y and X/Y/C, X/Y/T, X/Y/0). Paths compare
// lexically (absolute, "." and ".." resolved by name, links not followed), so a link
// standing where one of these folders should be counts as that folder.
bool isProtectedFolder(const std::filesystem::path &path,
                       const std::vector<std::filesystem::path> &roots);

} // namespace zembra::leftovers
