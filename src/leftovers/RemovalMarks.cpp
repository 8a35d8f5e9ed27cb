#include "leftovers/RemovalMarks.h"

#include "catalogue/ApplicationSnapshot.h"

#include "platform/FolderHandle.h"

#include <QCryptographicHash>

namespace zembra::leftovers {

namespace {

QString markName(const QString &key) {
    return QString::fromLatin1(
               QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex(), 32) +
           QLatin1String(".mark");
}

constexpr const char *kMarksFolderName = "removed-by-zembra";

} // namespace

std::filesystem::path removalMarksFolder(const QString &settingsFolder) {
    return std::filesystem::path(settingsFolder.toStdString()) / kMarksFolderName;
}

namespace {

// The marks' folder, made when missing; invalid when it or the settings folder is a link
// or not a folder.
platform::FolderHandle marksFolder(const QString &settingsFolder, bool create) {
    const platform::FolderHandle settings = platform::FolderHandle::openFolder(
        std::filesystem::path(settingsFolder.toStdString()), create);
    return settings.folder(kMarksFolderName, create);
}

} // namespace

bool markRemoval(const ItemRecord &item, const QString &settingsFolder) {
    const QString key = rememberedKey(item);
    if (key.isEmpty())
        return false;
    const platform::FolderHandle folder = marksFolder(settingsFolder, true);
    return folder.isValid() && folder.replaceFile(markName(key).toStdString(), key.toUtf8() + '\n');
}

bool takeRemovalMark(const QString &key, const QString &settingsFolder, const QDateTime &now) {
    const platform::FolderHandle folder = marksFolder(settingsFolder, false);
    const std::string wanted = markName(key).toStdString();
    const std::int64_t oldest =
        now.addSecs(-std::chrono::seconds(kRemovalMarkLifetime).count()).toSecsSinceEpoch();
    bool found = false;
    for (const std::string &name : folder.entryNames()) {
        if (!name.ends_with(".mark"))
            continue;
        // A link or anything else that is not a mark of ours is left alone.
        const std::optional<std::int64_t> modified = folder.modifiedAt(name);
        if (!modified)
            continue;
        const bool fresh = *modified >= oldest;
        if (name == wanted) {
            // The hash names the file; the content confirms the key against a collision.
            found = fresh && folder.readFile(name, 4096) == key.toUtf8() + '\n';
            folder.removeFile(name);
        } else if (!fresh) {
            folder.removeFile(name);
        }
    }
    return found;
}

} // namespace zembra::leftovers
