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
    virtual QIcon iconForFile(const std::filesystem::path &path);
    // The icon of a file type given as an extension ("bundle", "plist", "log") or a
    // MIME type name ("inode/directory").
    virtual QIcon iconForFileType(const QString &type);
    // Shows the entries selected in the file manager; false when nothing could show them.
    virtual bool activateFileViewerSelectingURLs(const std::vector<std::filesystem::path> &paths);
    virtual bool openURL(const QUrl &url);
};

} // namespace zembra::platform
