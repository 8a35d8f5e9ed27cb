#include "platform/Programs.h"

#include "platform/LoginItem.h"

#include <QCoreApplication>
#include <QFileInfo>

// The install folders come from the build's install-paths target where it has one.
#ifndef ZEMBRA_LIBEXECDIR
#define ZEMBRA_LIBEXECDIR ZEMBRA_DEFAULT_LIBEXECDIR
#endif
#ifndef ZEMBRA_BINDIR
#define ZEMBRA_BINDIR ZEMBRA_DEFAULT_BINDIR
#endif

namespace zembra::platform {

QString companionProgram(const QString &name, const QString &installFolder)
{
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    const QFileInfo info(beside);
    if (!QCoreApplication::applicationDirPath().isEmpty() && info.isFile() && info.isExecutable())
        return beside;
    return installFolder + QLatin1Char('/') + name;
}

QString watcherProgram() { return companionProgram(kWatcherProgramName, QStringLiteral(ZEMBRA_LIBEXECDIR)); }

std::filesystem::path watcherPidFile(const QString &settingsFolder)
{
    return std::filesystem::path((settingsFolder + QLatin1String("/zembra-spider.pid")).toStdString());
}

QString guiProgram() { return companionProgram(kGuiProgramName, QStringLiteral(ZEMBRA_BINDIR)); }

} // namespace zembra::platform
