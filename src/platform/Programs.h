#pragma once
// Where the project's programs find each other: next to the running program when it is
// there (a build tree, an application bundle), else in the folder they are installed to.

#include <QString>

namespace zembra::platform {

inline const QString kWatcherProgramName = QStringLiteral("zembra-spider");
inline const QString kGuiProgramName = QStringLiteral("uninstaller-zembra");

// `name` beside the running program when an executable file of that name is there,
// else in `installFolder`.
QString companionProgram(const QString &name, const QString &installFolder);

// The background watcher (installed in the libexec folder).
QString watcherProgram();
// The application (installed in the bin folder).
QString guiProgram();

} // namespace zembra::platform
