#include "spider/SpiderProcess.h"

#include "catalogue/ApplicationSnapshot.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <algorithm>

#include <gtest/gtest.h>

namespace zembra::test {

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return done();
        QThread::msleep(20);
    }
    return true;
}

QProcessEnvironment isolatedEnvironment(const TreeBuilder &tree) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"),
               qEnvironmentVariable("PATH", QStringLiteral("/usr/bin:/bin")));
    env.insert(QStringLiteral("HOME"), QString::fromStdString((tree / "home").native()));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
               QString::fromStdString((tree / "xdg-config").native()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(tree.root().native()));
    return env;
}

PrivateBus::PrivateBus(const TreeBuilder &tree, const QStringList &serviceArguments)
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
    if (!m_process.waitForStarted(5000))
        return;
    if (waitUntil([&] { return fs::exists(readyFile) || m_process.state() != QProcess::Running; }))
        m_address = QString::fromStdString(readFile(readyFile));
}

PrivateBus::~PrivateBus() {
    // Closing its input ends the service; dbus-run-session then takes the bus down.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

std::vector<QJsonObject> PrivateBus::notices() const {
    std::vector<QJsonObject> out;
    QFile file(QString::fromStdString(m_log.native()));
    file.open(QIODevice::ReadOnly); // no file yet: no notice yet
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            out.push_back(QJsonDocument::fromJson(line).object());
    return out;
}

std::vector<QJsonObject> PrivateBus::shown() const {
    std::vector<QJsonObject> out;
    for (const QJsonObject &call : notices()) {
        const auto same = std::find_if(out.begin(), out.end(), [&](const QJsonObject &n) {
            return n.value("id") == call.value("id");
        });
        if (same == out.end())
            out.push_back(call);
        else
            *same = call;
    }
    return out;
}

std::vector<QString> PrivateBus::summaries() const {
    std::vector<QString> out;
    for (const QJsonObject &n : notices())
        out.push_back(n.value("summary").toString());
    return out;
}

bool PrivateBus::told(const QString &name) const {
    const auto calls = notices();
    return std::any_of(calls.begin(), calls.end(), [&](const QJsonObject &n) {
        return n.value("summary").toString().contains(name) ||
               n.value("body").toString().contains(name);
    });
}

WatchedTree::WatchedTree()
    : applications(tree.dir("Applications")), home(tree.dir("home")),
      trash(tree.dir("home/.local/share/Trash/files")), settings(tree.dir("settings")) {}

QStringList WatchedTree::folderArguments() const {
    return {QStringLiteral("--applications"), QString::fromStdString(applications.native()),
            QStringLiteral("--home"),         QString::fromStdString(home.native()),
            QStringLiteral("--settings-dir"), QString::fromStdString(settings.native())};
}

fs::path WatchedTree::appWithLeftovers(const std::string &name, const std::string &identifier) {
    tree.file("home/Library/Preferences/" + identifier + ".plist", std::string(3000, 'x'));
    return tree.app("Applications/" + name + ".app", identifier, name, name);
}

void WatchedTree::appsWithLeftovers(std::initializer_list<std::string> names) {
    for (const std::string &name : names)
        appWithLeftovers(name,
                         "com.vendor." + QString::fromStdString(name).toLower().toStdString());
}

void WatchedTree::setSuiteSwitch(const QString &key, int value) {
    platform::SettingsStore(QString::fromStdString(settings.native()) + QLatin1Char('/') +
                            preferences::kSharedSuiteName + QLatin1String(".conf"))
        .setInteger(key, value);
}

void WatchedTree::setSetting(const QString &key, int value) {
    platform::SettingsStore(QString::fromStdString(settings.native()) +
                            QLatin1String("/Uninstaller zembra.conf"))
        .setInteger(key, value);
}

bool WatchedTree::waitForGone(std::vector<std::string> keys) const {
    std::sort(keys.begin(), keys.end());
    return waitUntil([&] {
        std::vector<std::string> gone;
        for (const RememberedApplication &r :
             readSnapshot(snapshotFile(QString::fromStdString(settings.native()))).applications)
            if (!r.installed)
                gone.push_back(rememberedKey(*r.item).toStdString());
        std::sort(gone.begin(), gone.end());
        return gone == keys;
    });
}

std::shared_ptr<ApplicationItem> WatchedTree::remembered(const QString &key) const {
    return rememberedApplication(
        readSnapshot(snapshotFile(QString::fromStdString(settings.native()))), key);
}

WatcherProcess::WatcherProcess(const WatchedTree &t, const PrivateBus *bus, const QString &program)
    : tree(t) {
    QProcessEnvironment env = isolatedEnvironment(t.tree);
    if (bus)
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process.start(program.isEmpty() ? QStringLiteral(ZEMBRA_SPIDER_PATH) : program,
                  t.folderArguments());
}

WatcherProcess::~WatcherProcess() {
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}

bool WatcherProcess::started() {
    const fs::path snapshot = snapshotFile(QString::fromStdString(tree.settings.native()));
    return process.waitForStarted(5000) &&
           waitUntil([&] { return fs::exists(snapshot) || !running(); }) && running();
}

} // namespace zembra::test
