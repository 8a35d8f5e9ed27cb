#include "platform/Programs.h"

#include "platform/LoginItem.h"

#include <QCoreApplication>
#include <QFileInfo>

// ZEMBRA_BINDIR and ZEMBRA_LIBEXECDIR: the install folders, from the install-paths target.

namespace zembra::platform {

QString companionProgram(const QString &name, const QString &installFolder) {
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    const QFileInfo info(beside);
    if (!QCoreApplication::applicationDirPath().isEmpty() && info.isFile() && info.isExecutable())
        return beside;
    return installFolder + QLatin1Char('/') + name;
}

QString watcherProgram() {
    return companionProgram(kWatcherProgramName, QStringLiteral(ZEMBRA_LIBEXECDIR));
}

std::filesystem::path watcherPidFile(const QString &settingsFolder) {
    return std::filesystem::path(
        (settingsFolder + QLatin1String("/zembra-spider.pid")).toStdString());
}

QString guiProgram() {
    return companionProgram(kGuiProgramName, QStringLiteral(ZEMBRA_BINDIR));
}

} // namespace zembra::platform
