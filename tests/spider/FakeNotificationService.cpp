// A stand-in desktop notification service, run under dbus-run-session: it takes the name
// org.freedesktop.Notifications there (unless --no-service), appends each Notify call to
// the --log file as a JSON line (the id it gave, and the one replaced, 0 for none) and
// each CloseNotification call as {"closed": ID}; with --invoke ACTION it answers each
// notice with ActionInvoked(id, ACTION). It reads markup in bodies, as most do. Ready, it
// writes the bus address to --ready FILE; it ends when its standard input closes, or
// after a minute.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    FakeNotifications(QString log, QString invoke)
        : m_log(std::move(log)), m_invoke(std::move(invoke)) {}

public slots:
    uint Notify(const QString &appName, uint replaces, const QString &, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &, int) {
        const uint id = replaces != 0 && replaces <= m_last ? replaces : ++m_last;
        const QJsonObject line{
            {"id", qint64(id)}, {"replaces", qint64(replaces)},
            {"app", appName},   {"summary", summary},
            {"body", body},     {"actions", QJsonArray::fromStringList(actions)}};
        log(line);
        if (!m_invoke.isEmpty())
            QTimer::singleShot(0, this, [this, id] {
                QDBusMessage signal =
                    QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                               QStringLiteral("org.freedesktop.Notifications"),
                                               QStringLiteral("ActionInvoked"));
                signal << id << m_invoke;
                QDBusConnection::sessionBus().send(signal);
            });
        return id;
    }
    QStringList GetCapabilities() {
        return {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")};
    }
    void CloseNotification(uint id) { log({{"closed", qint64(id)}}); }

private:
    void log(const QJsonObject &line) {
        QFile file(m_log);
        if (file.open(QIODevice::Append))
            file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    }

    QString m_log, m_invoke;
    uint m_last = 0;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const QString &name) {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
    };
    FakeNotifications service(option(QStringLiteral("--log")), option(QStringLiteral("--invoke")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 3;
    if (!args.contains(QStringLiteral("--no-service")) &&
        (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                             QDBusConnection::ExportAllSlots) ||
         !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))))
        return 4;
    QSaveFile ready(option(QStringLiteral("--ready")));
    if (!ready.open(QIODevice::WriteOnly) || ready.write(qgetenv("DBUS_SESSION_BUS_ADDRESS")) < 0 ||
        !ready.commit())
        return 5;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}

#include "FakeNotificationService.moc"
