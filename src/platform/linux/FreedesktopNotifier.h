#pragma once
// DesktopNotifier over org.freedesktop.Notifications on the session bus. Remembers the
// token of every notice it showed until the service reports it closed or acted on.

#include "platform/DesktopNotifier.h"

#include <QHash>

namespace zembra::platform {

class FreedesktopNotifier : public DesktopNotifier {
    Q_OBJECT
public:
    FreedesktopNotifier();
    uint notify(const QString &summary, const QString &body, const QString &actionLabel,
                const QString &token, uint replaces = 0) override;
    void close(uint id) override;

private slots:
    void onActionInvoked(uint id, const QString &actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    QHash<uint, QString> m_tokens;
};

} // namespace zembra::platform
