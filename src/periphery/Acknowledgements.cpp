#include "periphery/Acknowledgements.h"

#include "platform/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

// ZEMBRA_DOCDIR_FROM_BINDIR: the installed documents folder relative to the programs'
// folder (set on this file by src/CMakeLists.txt), so a moved install tree still finds it.

namespace zembra {

std::optional<QString> acknowledgementsFile(const QString &installedFile,
                                            const QString &scratchFolder) {
    if (!installedFile.isEmpty() && QFileInfo(installedFile).isFile())
        return installedFile;
    QFile resource(kAcknowledgementsResource);
    if (scratchFolder.isEmpty() || !resource.open(QIODevice::ReadOnly) ||
        !QDir().mkpath(scratchFolder))
        return std::nullopt;
    const QString file = QDir(scratchFolder).filePath(QStringLiteral("Acknowledgements.rtf"));
    // Written beside and renamed into place: the handler never reads half a document,
    // and an earlier copy being read stays whole.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(resource.readAll()) < 0 || !out.commit())
        return std::nullopt;
    return file;
}

bool openAcknowledgements() {
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" ZEMBRA_DOCDIR_FROM_BINDIR "/Acknowledgements.rtf");
    const auto file = acknowledgementsFile(
        installed, QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    return file && platform::Workspace::shared().openURL(QUrl::fromLocalFile(*file));
}

} // namespace zembra
