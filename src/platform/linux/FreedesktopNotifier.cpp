#include "platform/linux/FreedesktopNotifier.h"

#include "platform/VisibleText.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace zembra::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kActionKey = QStringLiteral("review");
const QString kDefaultActionKey = QStringLiteral("default"); // a click on the notice itself
constexpr int kCallTimeoutMs = 3000;

} // namespace

FreedesktopNotifier::FreedesktopNotifier() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(onNotificationClosed(uint, uint)));
}

uint FreedesktopNotifier::notify(const QString &summary, const QString &body,
                                 const QString &actionLabel, const QString &token, uint replaces) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    // A service that reads markup in bodies would take "<b>" in a name for a tag.
    const QDBusMessage capabilities =
        bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                QStringLiteral("GetCapabilities")),
                 QDBus::Block, kCallTimeoutMs);
    const bool markup = capabilities.type() == QDBusMessage::ReplyMessage &&
                        !capabilities.arguments().isEmpty() &&
                        capabilities.arguments().constFirst().toStringList().contains(
                            QStringLiteral("body-markup"));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QStringList actions{kDefaultActionKey, actionLabel, kActionKey, actionLabel};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("uninstaller-zembra"));
    call << QStringLiteral("Uninstaller zembra") << replaces
         << QStringLiteral("system-software-install") << summary
         << (markup ? markupEscaped(body) : body) << actions << hints << int(-1);
    // Activation of an absent service fails at once; a hung one is given a few seconds.
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    const uint id = reply.arguments().constFirst().toUInt();
    // The replaced notice's action is gone with it, whatever id the service gave back.
    if (replaces != 0)
        m_tokens.remove(replaces);
    m_tokens.insert(id, token);
    return id;
}

void FreedesktopNotifier::close(uint id) {
    if (id == 0 || !m_tokens.remove(id))
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("CloseNotification"));
    call << id;
    QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
}

void FreedesktopNotifier::onActionInvoked(uint id, const QString &actionKey) {
    const auto it = m_tokens.constFind(id);
    if (it == m_tokens.constEnd() || (actionKey != kActionKey && actionKey != kDefaultActionKey))
        return;
    const QString token = *it;
    m_tokens.erase(it);
    emit actionInvoked(token);
}

void FreedesktopNotifier::onNotificationClosed(uint id, uint) {
    m_tokens.remove(id);
}

std::unique_ptr<DesktopNotifier> makeDesktopNotifier() {
    return std::make_unique<FreedesktopNotifier>();
}

} // namespace zembra::platform
