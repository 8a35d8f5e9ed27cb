#include "platform/linux/FreedesktopApplication.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace zembra::platform {

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Application");
const std::pair<const char *, const char *> kGrantKeys[] = {
    {"--applications", "zembra-applications"},
    {"--home", "zembra-home"},
    {"--root", "zembra-root"}};

QVariant unwrapped(const QVariant &value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

// The folders in the platform data; a key of ours whose value is no byte array makes the
// request unusable.
std::optional<std::map<std::string, std::string>> grantsIn(const QVariantMap &platformData) {
    std::map<std::string, std::string> grants;
    for (const auto &[option, key] : kGrantKeys) {
        const auto it = platformData.find(QString::fromLatin1(key));
        if (it == platformData.end())
            continue;
        const QVariant value = unwrapped(*it);
        if (value.metaType().id() != QMetaType::QByteArray)
            return std::nullopt;
        grants[option] = value.toByteArray().toStdString();
    }
    return grants;
}

QVariantMap platformDataOf(const ActivationRequest &request) {
    QVariantMap data;
    for (const auto &[option, key] : kGrantKeys)
        if (const auto it = request.grants.find(option); it != request.grants.end())
            data.insert(QString::fromLatin1(key), QByteArray::fromStdString(it->second));
    return data;
}

} // namespace

FreedesktopApplication::FreedesktopApplication(Handler handler, QObject *parent)
    : QObject(parent), m_handler(std::move(handler)) {}

void FreedesktopApplication::Activate(const QVariantMap &platform_data) {
    const auto grants = grantsIn(platform_data);
    if (!grants) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("not an absolute folder"));
        return;
    }
    answer(ActivationRequest{QString(), QString(), *grants});
}

void FreedesktopApplication::ActivateAction(const QString &action_name,
                                            const QVariantList &parameter,
                                            const QVariantMap &platform_data) {
    const auto grants = grantsIn(platform_data);
    if (!grants || parameter.size() > 1) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("not a request"));
        return;
    }
    QString key;
    if (!parameter.isEmpty()) {
        const QVariant value = unwrapped(parameter.front());
        if (value.metaType().id() != QMetaType::QString) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("not a remembered key"));
            return;
        }
        key = value.toString();
    }
    answer(ActivationRequest{action_name, key, *grants});
}

void FreedesktopApplication::answer(const ActivationRequest &request) {
    if (const auto problem = requestProblem(request)) {
        sendErrorReply(QDBusError::InvalidArgs, *problem);
        return;
    }
    const QString refusal = m_handler ? m_handler(request) : QStringLiteral("not ready");
    if (!refusal.isEmpty())
        sendErrorReply(kRefusedError, refusal);
}

std::optional<QString> activateOnBus(const QDBusConnection &bus, const QString &name,
                                     const QString &path, const ActivationRequest &request,
                                     int timeoutMs, bool *reached) {
    *reached = false;
    if (!bus.isConnected())
        return QStringLiteral("no session bus");
    QDBusMessage call =
        request.action.isEmpty()
            ? QDBusMessage::createMethodCall(name, path, kInterface, QStringLiteral("Activate"))
            : QDBusMessage::createMethodCall(name, path, kInterface,
                                             QStringLiteral("ActivateAction"));
    // Only an instance that runs: starting one through the bus is the launcher's business.
    call.setAutoStartService(false);
    if (request.action.isEmpty()) {
        call << platformDataOf(request);
    } else {
        QVariantList parameter;
        if (!request.key.isEmpty())
            parameter << request.key;
        call << request.action << QVariant::fromValue(parameter) << platformDataOf(request);
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        *reached = true;
        return std::nullopt;
    }
    *reached = reply.errorName() == kRefusedError ||
               reply.errorName() == QDBusError::errorString(QDBusError::InvalidArgs);
    return reply.errorMessage();
}

} // namespace zembra::platform
