#pragma once
// Where the desktop's Trash keeps the items thrown away, for the background watcher.

#include <filesystem>

namespace zembra::platform {

// The Trash's folder of items for the user whose home folder is `home`: the freedesktop
// Trash (".local/share/Trash/files") on Linux, "~/.Trash" on macOS. The folder may not
// exist yet.
std::filesystem::path trashFilesFolder(const std::filesystem::path &home);

} // namespace zembra::platform
