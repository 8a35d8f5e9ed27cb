#include "platform/Workspace.h"

#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

namespace zembra::platform {

namespace {
Workspace *g_override = nullptr;

// Not QFile::decodeName: it drops a leading U+FEFF, so the name would lead to another file.
QString qPath(const std::filesystem::path &p) { return decodeUtf8(p.native()); }
} // namespace

Workspace &Workspace::shared()
{
    static Workspace platformWorkspace;
    return g_override ? *g_override : platformWorkspace;
}

void Workspace::setShared(Workspace *workspace) { g_override = workspace; }

QIcon Workspace::iconForFile(const std::filesystem::path &path)
{
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(qPath(path)));
}

QIcon Workspace::iconForFileType(const QString &type)
{
    static QMimeDatabase db;
    QMimeType mime = db.mimeTypeForName(type);
    if (!mime.isValid())
        mime = db.mimeTypeForFile(QStringLiteral("x.") + type, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) {
        static QFileIconProvider provider;
        icon = provider.icon(type == QLatin1String("inode/directory") ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    return icon;
}

bool Workspace::activateFileViewerSelectingURLs(const std::vector<std::filesystem::path> &paths)
{
    if (paths.empty())
        return false;
    QStringList uris;
    for (const auto &p : paths)
        uris << QUrl::fromLocalFile(qPath(p)).toString(QUrl::FullyEncoded);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << uris << QString();
        if (bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage)
            return true;
    }
    // No file manager service: open the folder that holds the first entry.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qPath(paths.front().parent_path())));
}

bool Workspace::openURL(const QUrl &url) { return QDesktopServices::openUrl(url); }

} // namespace zembra::platform
