#pragma once
// The running instance on the session bus: org.freedesktop.Application, as a launcher
// calls it for a D-Bus activatable desktop entry. Activate brings the window forward;
// ActivateAction takes "review-remembered" (one string parameter: the remembered key) and
// "removed-applications". Open is not offered: the program opens no documents, and a
// bundle path from another process must not become a grant. The later launch of the
// program adds its folders in the platform data ("zembra-applications", "zembra-home",
// "zembra-root": byte arrays). A refused request is answered with the D-Bus error
// `kRefusedError`, whose message says why. GUI thread only.

#include "platform/ActivationRequest.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace zembra::platform {

inline const QString kRefusedError =
    QStringLiteral("com.torvan.belquist.UninstallerZembra.Error.Refused");

class FreedesktopApplication : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    using Handler = std::function<QString(const ActivationRequest &)>;
    explicit FreedesktopApplication(Handler handler, QObject *parent = nullptr);

public slots:
    void Activate(const QVariantMap &platform_data);
    void ActivateAction(const QString &action_name, const QVariantList &parameter,
                        const QVariantMap &platform_data);

private:
    void answer(const ActivationRequest &request);
    Handler m_handler;
};

// Asks the owner of `name` on `bus` to take `request` (never starting a service for
// it); nothing when it was taken, else the refusal. `reached` tells whether an instance
// answered at all (false: no owner, no answer in time).
std::optional<QString> activateOnBus(const QDBusConnection &bus, const QString &name,
                                     const QString &path, const ActivationRequest &request,
                                     int timeoutMs, bool *reached);

} // namespace zembra::platform
