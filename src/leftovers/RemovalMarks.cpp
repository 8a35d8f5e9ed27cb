#include "leftovers/RemovalMarks.h"

#include "catalogue/ApplicationSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zembra::leftovers {

namespace {

QString markName(const QString &key)
{
    return QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex(),
                               32) + QLatin1String(".mark");
}

QString folderText(const QString &settingsFolder) { return settingsFolder + QLatin1String("/removed-by-zembra"); }

} // namespace

std::filesystem::path removalMarksFolder(const QString &settingsFolder)
{
    return std::filesystem::path(folderText(settingsFolder).toStdString());
}

bool markRemoval(const ItemRecord &item, const QString &settingsFolder)
{
    const QString key = rememberedKey(item);
    if (key.isEmpty() || !QDir().mkpath(folderText(settingsFolder)))
        return false;
    QSaveFile file(folderText(settingsFolder) + QLatin1Char('/') + markName(key));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(key.toUtf8() + '\n');
    return file.commit();
}

bool takeRemovalMark(const QString &key, const QString &settingsFolder, const QDateTime &now)
{
    const QDir dir(folderText(settingsFolder));
    const QString wanted = markName(key);
    const QDateTime oldest = now.addSecs(-std::chrono::seconds(kRemovalMarkLifetime).count());
    bool found = false;
    for (const QFileInfo &info : dir.entryInfoList({QStringLiteral("*.mark")}, QDir::Files)) {
        const bool fresh = info.lastModified() >= oldest;
        if (info.fileName() == wanted) {
            // The hash names the file; the content confirms the key against a collision.
            QFile file(info.filePath());
            found = fresh && file.open(QIODevice::ReadOnly) && file.readAll() == key.toUtf8() + '\n';
            QFile::remove(info.filePath());
        } else if (!fresh) {
            QFile::remove(info.filePath());
        }
    }
    return found;
}

} // namespace zembra::leftovers
