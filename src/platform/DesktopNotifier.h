#pragma once
// Desktop notifications for the background watcher (freedesktop Notifications over the
// session bus on Linux). Without a session bus or a notification service a notice is
// simply not shown. Main thread only.

#include <QObject>
#include <QString>

#include <memory>

namespace zembra::platform {

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Shows a notice with one action button; `token` comes back with actionInvoked when
    // the user presses it (or clicks the notice). With `replaces` (an id this notifier
    // returned) the notice takes that one's place instead of showing beside it. The
    // notice's id, 0 when no service showed it. `summary` and `body` are plain text, shown
    // as they are (never read as markup); controls in them are the caller's to make visible.
    virtual uint notify(const QString &summary, const QString &body, const QString &actionLabel,
                        const QString &token, uint replaces = 0) = 0;
    // Takes down a notice this notifier showed (its id from notify); its action goes with it.
    virtual void close(uint id) = 0;

signals:
    void actionInvoked(const QString &token);
};

std::unique_ptr<DesktopNotifier> makeDesktopNotifier();

} // namespace zembra::platform
