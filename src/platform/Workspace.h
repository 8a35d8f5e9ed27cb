#pragma once
// Stand-in for the workspace services the screens use: icons of files and file types,
// revealing entries in the file manager, opening a URL. The screens call
// `Workspace::shared()`; tests install a recording double with `setShared`.
// GUI thread only.

#include <QIcon>
#include <QString>
#include <QUrl>

#include <filesystem>
#include <vector>

namespace zembra::platform {

class Workspace {
public:
    virtual ~Workspace() = default;

    static Workspace &shared();
    // Installs `workspace` (not owned) in place of the platform's; null restores it.
    static void setShared(Workspace *workspace);

    // The icon of a file or folder (an application bundle shows its own icon resource).
    // Where the desktop's icon theme has none, the application's own images are used.
    virtual QIcon iconForFile(const std::filesystem::path &path);
    // The icon of a file type given as an extension ("bundle", "plist", "log", "app"), a
    // MIME type name ("inode/directory") or "" (a plain document).
    virtual QIcon iconForFileType(const QString &type);
    // Shows the entries selected in the file manager; false when nothing could show them.
    virtual bool activateFileViewerSelectingURLs(const std::vector<std::filesystem::path> &paths);
    virtual bool openURL(const QUrl &url);
};

// An image file as an icon; every picture of an .icns file (up to 256 pixels) becomes
// one size of the icon. Null when the file reads as no image.
QIcon iconFromImageFile(const std::filesystem::path &file);

} // namespace zembra::platform
