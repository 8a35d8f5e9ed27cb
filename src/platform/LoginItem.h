#pragma once
// Stand-in for the login-item registration of the background watcher: what makes it
// start when the user logs in (an XDG autostart entry on Linux). Switching it on also
// starts the watcher at once; switching it off stops the running one, found through its
// pid file. GUI thread.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>

namespace zembra::platform {

// The watcher's bundle identifier: the name of its registration.
inline const QString kWatcherIdentifier =
    QStringLiteral("com.Torvan.Belquist.Uninstaller-zembra-Spider");

// How the watcher is started: its program, the arguments it gets (the grants and
// settings folder of this run), and the pid file it holds while it runs.
struct WatcherCommand {
    QString program;
    QStringList arguments;
    std::filesystem::path pidFile;
    // Given only to the watcher started now, never registered: folders granted for this
    // run only must not outlive it.
    QStringList runArguments;
};

class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Registers (true) or unregisters (false) the watcher and starts or stops it now.
    // False when the registration could not be written or removed; the caller may
    // ignore it, as the preferences do.
    virtual bool setEnabled(bool enabled) = 0;
    // Why the last setEnabled(true) failed, in words for the user; "" when it did not.
    virtual QString problem() const { return {}; }
};

// The platform's login item for the watcher.
std::unique_ptr<LoginItem> makeWatcherLoginItem(WatcherCommand command);

// The pid file of a watcher using `settingsFolder`.
std::filesystem::path watcherPidFile(const QString &settingsFolder);

} // namespace zembra::platform
