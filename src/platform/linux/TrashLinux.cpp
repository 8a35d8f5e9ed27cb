#include "platform/Trash.h"

#include <QDir>

#include <cstdlib>

namespace zembra::platform {

std::filesystem::path trashFilesFolder(const std::filesystem::path &home) {
    // $XDG_DATA_HOME moves the Trash of the user's own home only; a given home (a demo
    // tree, a test) keeps its Trash inside it.
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome == '/' &&
        home == std::filesystem::path(QDir::homePath().toStdString()))
        return std::filesystem::path(dataHome) / "Trash" / "files";
    return home / ".local" / "share" / "Trash" / "files";
}

} // namespace zembra::platform
