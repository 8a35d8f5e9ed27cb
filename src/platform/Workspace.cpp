#include "platform/Workspace.h"

#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>

#include <map>
#include <set>

namespace zembra::platform {

namespace {
Workspace *g_override = nullptr;

// Not QFile::decodeName: it drops a leading U+FEFF, so the name would lead to another file.
QString qPath(const std::filesystem::path &p) { return decodeUtf8(p.native()); }

// The application's own drawings, for desktops without an icon theme (and the tests).
QIcon ownIcon(const QString &name)
{
    static std::map<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.emplace(name, QIcon(QStringLiteral(":/images/") + name + QStringLiteral(".png"))).first;
    return it->second;
}

QString ownIconForType(const QString &type)
{
    static const std::set<QString> kBundles = {
        QStringLiteral("bundle"), QStringLiteral("plugin"), QStringLiteral("component"), QStringLiteral("appex"),
        QStringLiteral("framework"), QStringLiteral("kext"), QStringLiteral("prefPane"), QStringLiteral("xpc"),
        QStringLiteral("qlgenerator"), QStringLiteral("mdimporter"), QStringLiteral("saver"),
        QStringLiteral("webplugin"), QStringLiteral("safariextz")};
    if (type == QLatin1String("inode/directory") || type == QLatin1String("folder"))
        return QStringLiteral("folder");
    if (type == QLatin1String("app") || type == QLatin1String("application"))
        return QStringLiteral("application");
    if (kBundles.count(type))
        return QStringLiteral("bundle");
    if (type == QLatin1String("plist") || type == QLatin1String("application/x-plist"))
        return QStringLiteral("plist");
    if (type == QLatin1String("log") || type == QLatin1String("text/x-log"))
        return QStringLiteral("log");
    return QStringLiteral("file");
}

QIcon themeIcon(const QMimeType &mime)
{
    if (!mime.isValid())
        return {};
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    return icon;
}

QIcon bundleIcon(const std::filesystem::path &bundle)
{
    const auto info = BundleInfo::read(bundle);
    if (!info || !info->iconFile())
        return {};
    auto file = info->imageResource(*info->iconFile());
    if (!file) {
        QString name = *info->iconFile();
        if (const qsizetype dot = name.indexOf(QLatin1Char('.')); dot > 0)
            file = info->imageResource(name.left(dot));
    }
    return file ? iconFromImageFile(*file) : QIcon();
}
} // namespace

QIcon iconFromImageFile(const std::filesystem::path &file)
{
    QImageReader reader(qPath(file));
    QIcon icon;
    const int count = std::max(1, reader.imageCount());
    for (int k = 0; k < count; ++k) {
        // The .icns reader gives each picture only after a jump to it.
        if (!reader.jumpToImage(k) && k > 0)
            break;
        const QSize size = reader.size();
        if (size.isValid() && std::max(size.width(), size.height()) > 256 && !icon.isNull())
            continue;
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

Workspace &Workspace::shared()
{
    static Workspace platformWorkspace;
    return g_override ? *g_override : platformWorkspace;
}

void Workspace::setShared(Workspace *workspace) { g_override = workspace; }

QIcon Workspace::iconForFile(const std::filesystem::path &path)
{
    const QString extension = pathExtension(path);
    if (extension == QLatin1String("app")) {
        const QIcon icon = bundleIcon(path);
        return icon.isNull() ? iconForFileType(QStringLiteral("app")) : icon;
    }
    if (isRealDirectory(path))
        return iconForFileType(isPackageExtension(extension.toStdString()) ? extension
                                                                           : QStringLiteral("inode/directory"));
    static QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(qPath(path), QMimeDatabase::MatchExtension);
    const QIcon icon = themeIcon(mime);
    return icon.isNull() ? ownIcon(ownIconForType(extension)) : icon;
}

QIcon Workspace::iconForFileType(const QString &type)
{
    // Bundles have no MIME type of their own on Linux: the theme's nearest names.
    const QString own = ownIconForType(type);
    if (own == QLatin1String("application") || own == QLatin1String("bundle")) {
        const QString themeName = own == QLatin1String("application") ? QStringLiteral("application-x-executable")
                                                                       : QStringLiteral("application-x-addon");
        const QIcon icon = QIcon::fromTheme(themeName);
        return icon.isNull() ? ownIcon(own) : icon;
    }
    static QMimeDatabase db;
    QMimeType mime = db.mimeTypeForName(type);
    if (!mime.isValid() && !type.isEmpty())
        mime = db.mimeTypeForFile(QStringLiteral("x.") + type, QMimeDatabase::MatchExtension);
    const QIcon icon = themeIcon(mime);
    return icon.isNull() ? ownIcon(own) : icon;
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
