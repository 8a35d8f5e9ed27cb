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
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            out.push_back(QJsonDocument::fromJson(line).object());
    // Notify calls only; a CloseNotification call is a line of its own.
    std::erase_if(out, [](const QJsonObject &call) { return call.contains("closed"); });
    return out;
}

std::vector<QJsonObject> PrivateBus::closed() const {
    std::vector<QJsonObject> out;
    QFile file(QString::fromStdString(m_log.native()));
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (const QJsonObject call = QJsonDocument::fromJson(line).object();
                call.contains("closed"))
                out.push_back(call);
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

fs::path WatchedTree::appWithLeftovers(const std::string &name, const std::string &identifier) {
    tree.file("home/Library/Preferences/" + identifier + ".plist", std::string(3000, 'x'));
    return tree.app("Applications/" + name + ".app", identifier, name, name);
}

void WatchedTree::setSuiteSwitch(const QString &key, int value) {
    platform::SettingsStore suite(QString::fromStdString(settings.native()) + QLatin1Char('/') +
                                  preferences::kSharedSuiteName + QLatin1String(".conf"));
    suite.setInteger(key, value);
}

void WatchedTree::setSetting(const QString &key, int value) {
    platform::SettingsStore store(QString::fromStdString(settings.native()) +
                                  QLatin1String("/Uninstaller zembra.conf"));
    store.setInteger(key, value);
}

std::vector<std::string> WatchedTree::goneKeys() const {
    std::vector<std::string> out;
    for (const RememberedApplication &r :
         readSnapshot(snapshotFile(QString::fromStdString(settings.native()))).applications)
        if (!r.installed)
            out.push_back(rememberedKey(*r.item).toStdString());
    return out;
}

WatcherProcess::WatcherProcess(const WatchedTree &t, const PrivateBus *bus, const QString &program)
    : m_tree(t) {
    QProcessEnvironment env = isolatedEnvironment(t.tree);
    if (bus)
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(program.isEmpty() ? QStringLiteral(ZEMBRA_SPIDER_PATH) : program,
                    {QStringLiteral("--applications"),
                     QString::fromStdString(t.applications.native()), QStringLiteral("--home"),
                     QString::fromStdString(t.home.native()), QStringLiteral("--settings-dir"),
                     QString::fromStdString(t.settings.native())});
}

WatcherProcess::~WatcherProcess() {
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool WatcherProcess::started() {
    const fs::path snapshot = snapshotFile(QString::fromStdString(m_tree.settings.native()));
    return m_process.waitForStarted(5000) && waitUntil([&] {
               return fs::exists(snapshot) || m_process.state() != QProcess::Running;
           }) &&
           running();
}

} // namespace zembra::test
