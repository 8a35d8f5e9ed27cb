#pragma once
// Runs the watcher as a real process on a temporary tree, with a private session bus and
// a stand-in notification service when asked. Every wait polls with a time limit.

#include "catalogue/ApplicationSnapshot.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"
#include "support/TreeBuilder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace zembra::test {

// Polls `done` every 20 ms until it holds or `timeoutMs` passed; its last answer.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000) {
    for (QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QThread::msleep(20))
        if (done())
            return true;
    return done();
}

// A minimal environment: the tree's home and configuration folder, nothing of the
// developer's.
inline QProcessEnvironment isolatedEnvironment(const TreeBuilder &tree) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"),
               qEnvironmentVariable("PATH", QStringLiteral("/usr/bin:/bin")));
    env.insert(QStringLiteral("HOME"), QString::fromStdString((tree / "home").native()));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
               QString::fromStdString((tree / "xdg-config").native()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(tree.root().native()));
    return env;
}

// dbus-run-session with the stand-in notification service.
class PrivateBus {
public:
    // `serviceArguments`: "--invoke", "review" or "--no-service".
    PrivateBus(const TreeBuilder &tree, const QStringList &serviceArguments = {})
        : m_log(tree / "notices.log") {
        const fs::path readyFile = tree / "bus.ready";
        m_process.setProcessEnvironment(isolatedEnvironment(tree));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral("dbus-run-session"),
            QStringList{QStringLiteral("--"), QStringLiteral(ZEMBRA_FAKE_NOTIFICATIONS_PATH),
                        QStringLiteral("--log"), QString::fromStdString(m_log.native()),
                        QStringLiteral("--ready"), QString::fromStdString(readyFile.native())} +
                serviceArguments);
        if (m_process.waitForStarted(5000) && waitUntil([&] {
                return fs::exists(readyFile) || m_process.state() != QProcess::Running;
            }))
            m_address = QString::fromStdString(readFile(readyFile));
    }
    ~PrivateBus() {
        // Closing its input ends the service; dbus-run-session then takes the bus down.
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    bool ready() const { return !m_address.isEmpty(); }
    const QString &address() const { return m_address; }
    // Every Notify call the service received, oldest first: a notice, or the replacement
    // of one ("replaces" is the id of the one replaced, 0 for a new notice).
    std::vector<QJsonObject> notices() const { return calls(false); }
    // The ids of the notices taken down (CloseNotification calls), oldest first.
    std::vector<qint64> closed() const {
        std::vector<qint64> out;
        for (const QJsonObject &call : calls(true))
            out.push_back(call.value("closed").toInteger());
        return out;
    }
    // Field `key` of call `i` as text (a list as JSON); empty when there is none.
    std::string field(size_t i, const char *key) const {
        const auto calls = notices();
        const QJsonValue v = i < calls.size() ? calls[i].value(QLatin1String(key)) : QJsonValue();
        return (v.isArray() ? QString::fromUtf8(QJsonDocument(v.toArray()).toJson())
                            : v.toVariant().toString())
            .toStdString();
    }
    // Field `key` of every call, joined by " | ".
    std::string fields(const char *key) const {
        std::string out;
        for (size_t i = 0, n = notices().size(); i < n; ++i)
            out += (i ? " | " : "") + field(i, key);
        return out;
    }

private:
    // The Notify calls, or the CloseNotification calls ({"closed": id}).
    std::vector<QJsonObject> calls(bool closes) const {
        std::vector<QJsonObject> out;
        QFile file(QString::fromStdString(m_log.native()));
        if (file.open(QIODevice::ReadOnly)) // none before the first notice
            for (const QByteArray &line : file.readAll().split('\n'))
                if (const QJsonObject call = QJsonDocument::fromJson(line).object();
                    !line.isEmpty() && call.contains("closed") == closes)
                    out.push_back(call);
        return out;
    }

    QProcess m_process;
    QString m_address;
    fs::path m_log;
};

// A tree with Applications/, home/ (its Library and Trash) and settings/.
struct WatchedTree {
    TreeBuilder tree;
    const fs::path applications = tree.dir("Applications"), home = tree.dir("home"),
                   trash = tree.dir("home/.local/share/Trash/files"),
                   settings = tree.dir("settings");
    const QString settingsFolder = QString::fromStdString(settings.native());

    // "--applications", "--home" and "--settings-dir" with this tree's folders.
    QStringList folderArguments() const {
        return {QStringLiteral("--applications"), QString::fromStdString(applications.native()),
                QStringLiteral("--home"),         QString::fromStdString(home.native()),
                QStringLiteral("--settings-dir"), settingsFolder};
    }
    // An application with a preferences file of its own, so that it leaves something.
    fs::path appWithLeftovers(const std::string &name, const std::string &identifier) {
        tree.file("home/Library/Preferences/" + identifier + ".plist", std::string(3000, 'x'));
        return tree.app("Applications/" + name + ".app", identifier, name, name);
    }
    // Several of them, each named "com.vendor." and its name in lower case.
    void appsWithLeftovers(std::initializer_list<std::string> names) {
        for (const std::string &name : names)
            appWithLeftovers(name,
                             "com.vendor." + QString::fromStdString(name).toLower().toStdString());
    }
    // Sets a value in the store `name` (the standard one, or the shared suite), as the
    // preferences do.
    void setInteger(const QString &name, const QString &key, int value) {
        platform::SettingsStore(settingsFolder + QLatin1Char('/') + name + QLatin1String(".conf"))
            .setInteger(key, value);
    }
    // Waits until the remembered gone applications are `keys`, in any order.
    bool waitForGone(std::vector<std::string> keys) const {
        std::sort(keys.begin(), keys.end());
        return waitUntil([&] {
            std::vector<std::string> gone;
            for (const RememberedApplication &r :
                 readSnapshot(snapshotFile(settingsFolder)).applications)
                if (!r.installed)
                    gone.push_back(rememberedKey(*r.item).toStdString());
            std::sort(gone.begin(), gone.end());
            return gone == keys;
        });
    }
    // The remembered record of `key`, as the watcher last wrote it.
    std::shared_ptr<ApplicationItem> remembered(const char *key) const {
        return rememberedApplication(readSnapshot(snapshotFile(settingsFolder)),
                                     QString::fromUtf8(key));
    }
};

// The watcher on a tree's folders; its standard error is kept, for what a refusal says.
struct WatcherProcess {
    const WatchedTree &tree;
    QProcess process;
    WatcherProcess(const WatchedTree &t, const PrivateBus *bus, const QString &program = {})
        : tree(t) {
        QProcessEnvironment env = isolatedEnvironment(t.tree);
        if (bus)
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.start(program.isEmpty() ? QStringLiteral(ZEMBRA_SPIDER_PATH) : program,
                      t.folderArguments());
    }
    ~WatcherProcess() {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(1000);
    }
    // Started and its first look written.
    bool started() {
        const fs::path snapshot = snapshotFile(tree.settingsFolder);
        return process.waitForStarted(5000) &&
               waitUntil([&] { return fs::exists(snapshot) || !running(); }) && running();
    }
    bool running() const { return process.state() == QProcess::Running; }
};

// A tree, a private bus and a watcher whose notices go to it: what most watcher tests
// start from.
struct Watching : WatchedTree {
    std::optional<PrivateBus> bus;
    std::optional<WatcherProcess> watcher;
    // The bus up, the watcher started and its first look written.
    bool start(const QStringList &serviceArguments = {}, const QString &program = {}) {
        return bus.emplace(tree, serviceArguments).ready() &&
               watcher.emplace(*this, &*bus, program).started();
    }
};

} // namespace zembra::test
