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
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <map>
#include <set>

namespace zembra::platform {

namespace {
Workspace *g_override = nullptr;

// Not QFile::decodeName: it drops a leading U+FEFF, so the name would lead to another file.
QString qPath(const std::filesystem::path &p) {
    return decodeUtf8(p.native());
}

// A sheet of paper with a folded corner, the common ground of the document pictures.
void paintPage(QPainter &p, const QColor &paper) {
    QPainterPath page;
    page.moveTo(14, 4);
    page.lineTo(40, 4);
    page.lineTo(52, 16);
    page.lineTo(52, 60);
    page.lineTo(14, 60);
    page.closeSubpath();
    p.setPen(QPen(QColor(150, 150, 156), 1.5));
    p.setBrush(paper);
    p.drawPath(page);
    p.setBrush(QColor(225, 225, 230));
    p.drawPolygon(QPolygonF{{40, 4}, {40, 16}, {52, 16}});
}

// Pictures for the file types that have none of their own on Linux, drawn at 64 points.
void paintType(QPainter &p, const QString &name) {
    if (name == QLatin1String("prefpane")) { // a grey panel of switches
        p.setPen(QPen(QColor(90, 96, 106), 1.5));
        p.setBrush(QColor(205, 208, 214));
        p.drawRoundedRect(QRectF(6, 10, 52, 44), 8, 8);
        p.setBrush(QColor(0, 122, 255));
        for (int row = 0; row < 3; ++row) {
            p.setPen(QPen(QColor(110, 116, 126), 2));
            p.drawLine(QPointF(14, 20 + row * 12), QPointF(50, 20 + row * 12));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(20 + row * 12, 20 + row * 12), 4, 4);
        }
    } else if (name == QLatin1String("safari_extension")) { // a blue puzzle piece
        QPainterPath piece;
        piece.addRoundedRect(QRectF(10, 18, 40, 38), 5, 5);
        QPainterPath knob;
        knob.addEllipse(QPointF(30, 16), 8, 8);
        knob.addEllipse(QPointF(52, 37), 8, 8);
        p.setPen(QPen(QColor(0, 84, 180), 1.5));
        p.setBrush(QColor(30, 144, 255));
        p.drawPath(piece.united(knob));
    } else if (name == QLatin1String("crash")) { // a report with a warning sign
        paintPage(p, Qt::white);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(214, 60, 40));
        p.drawPolygon(QPolygonF{{33, 22}, {47, 50}, {19, 50}});
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(33, 31), QPointF(33, 41));
        p.drawPoint(QPointF(33, 46));
    } else if (name == QLatin1String("webloc")) { // a page with a globe
        paintPage(p, Qt::white);
        p.setPen(QPen(QColor(0, 110, 220), 2));
        p.setBrush(QColor(200, 228, 255));
        p.drawEllipse(QPointF(33, 36), 13, 13);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(33, 36), 6, 13);
        p.drawLine(QPointF(20, 36), QPointF(46, 36));
    }
}

const std::set<QString> &drawnTypes() {
    static const std::set<QString> kDrawn = {QStringLiteral("prefpane"),
                                             QStringLiteral("safari_extension"),
                                             QStringLiteral("crash"), QStringLiteral("webloc")};
    return kDrawn;
}

// The application's own pictures, for desktops without an icon theme (and the tests).
QIcon ownIcon(const QString &name) {
    static std::map<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    QIcon icon;
    if (drawnTypes().count(name)) {
        for (const int size : {16, 32, 64, 128, 256}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(size / 64.0, size / 64.0);
            paintType(painter, name);
            painter.end();
            icon.addPixmap(pixmap);
        }
    } else {
        icon = QIcon(QStringLiteral(":/images/") + name + QStringLiteral(".png"));
    }
    return cache.emplace(name, icon).first->second;
}

QString ownIconForType(const QString &type) {
    static const std::set<QString> kBundles = {
        QStringLiteral("bundle"), QStringLiteral("plugin"),      QStringLiteral("component"),
        QStringLiteral("appex"),  QStringLiteral("framework"),   QStringLiteral("kext"),
        QStringLiteral("xpc"),    QStringLiteral("qlgenerator"), QStringLiteral("mdimporter"),
        QStringLiteral("saver"),  QStringLiteral("webplugin")};
    if (type == QLatin1String("prefPane"))
        return QStringLiteral("prefpane");
    if (type == QLatin1String("safariextz") || type == QLatin1String("appex.safari"))
        return QStringLiteral("safari_extension");
    if (type == QLatin1String("crash") || type == QLatin1String("ips"))
        return QStringLiteral("crash");
    if (type == QLatin1String("webloc"))
        return QStringLiteral("webloc");
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

QIcon themeIcon(const QMimeType &mime) {
    if (!mime.isValid())
        return {};
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    return icon;
}

QIcon bundleIcon(const std::filesystem::path &bundle) {
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

QIcon iconFromImageFile(const std::filesystem::path &file) {
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

Workspace &Workspace::shared() {
    static Workspace platformWorkspace;
    return g_override ? *g_override : platformWorkspace;
}

void Workspace::setShared(Workspace *workspace) {
    g_override = workspace;
}

QIcon Workspace::iconForFile(const std::filesystem::path &path) {
    const QString extension = pathExtension(path);
    if (extension == QLatin1String("app")) {
        const QIcon icon = bundleIcon(path);
        return icon.isNull() ? iconForFileType(QStringLiteral("app")) : icon;
    }
    if (isRealDirectory(path)) {
        if (!isPackageExtension(extension.toStdString()))
            return iconForFileType(QStringLiteral("inode/directory"));
        // A bundle (a preference pane, a plug-in) shows its own picture when it has one.
        const QIcon own = bundleIcon(path);
        return own.isNull() ? iconForFileType(extension) : own;
    }
    static QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(qPath(path), QMimeDatabase::MatchExtension);
    const QIcon icon = themeIcon(mime);
    return icon.isNull() ? ownIcon(ownIconForType(extension)) : icon;
}

QIcon Workspace::iconForFileType(const QString &type) {
    // Bundles have no MIME type of their own on Linux: the theme's nearest names; the
    // types drawn here have no theme picture at all.
    const QString own = ownIconForType(type);
    if (drawnTypes().count(own))
        return ownIcon(own);
    if (own == QLatin1String("application") || own == QLatin1String("bundle")) {
        const QString themeName = own == QLatin1String("application")
                                      ? QStringLiteral("application-x-executable")
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

bool Workspace::activateFileViewerSelectingURLs(const std::vector<std::filesystem::path> &paths) {
    if (paths.empty())
        return false;
    QStringList uris;
    for (const auto &p : paths)
        uris << QUrl::fromLocalFile(qPath(p)).toString(QUrl::FullyEncoded);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << uris << QString();
        if (bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage)
            return true;
    }
    // No file manager service: open the folder that holds the first entry.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qPath(paths.front().parent_path())));
}

bool Workspace::openURL(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

} // namespace zembra::platform
