#pragma once
// The login item on Linux: an XDG autostart entry for the watcher in
// $XDG_CONFIG_HOME/autostart (~/.config/autostart without it), named after the
// watcher's identifier. The entry is written to a temporary file and renamed into place.

#include "platform/LoginItem.h"

#include <QByteArray>
#include <optional>

namespace zembra::platform {

// The autostart entry's path for `identifier`.
QString autostartEntryFile(const QString &identifier);

// The Exec= value for the command: each argument quoted as the desktop entry format
// asks. Nothing when an argument holds a control character (a newline would end the
// line and start a key of its own).
std::optional<QString> execLine(const QString &program, const QStringList &arguments);

// The whole entry; nothing when the command cannot be written as an Exec= line.
std::optional<QByteArray> autostartEntryText(const WatcherCommand &command);

class AutostartLoginItem : public LoginItem {
public:
    AutostartLoginItem(QString identifier, WatcherCommand command);
    // Switched on, the watcher is started only when its entry was written. The entry is
    // written or removed before this returns; starting and stopping the watcher process
    // happen on a worker, in the order asked, so the caller (the preferences, on the GUI
    // thread) never waits for a watcher to end. A start asked after a stop waits there
    // until the old watcher has let go of its pid file.
    bool setEnabled(bool enabled) override;
    QString problem() const override { return m_problem; }

private:
    QString m_identifier;
    WatcherCommand m_command;
    QString m_problem;
};

} // namespace zembra::platform
