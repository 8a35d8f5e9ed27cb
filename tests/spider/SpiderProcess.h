#pragma once
// Runs the watcher as a real process on a temporary tree, with a private session bus and
// a stand-in notification service when asked. Every wait polls with a time limit.

#include "support/TreeBuilder.h"

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zembra::test {

// Polls `done` every 20 ms until it holds or `timeoutMs` passed; its last answer.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// A minimal environment: the tree's home and configuration folder, nothing of the
// developer's.
QProcessEnvironment isolatedEnvironment(const TreeBuilder &tree);

// dbus-run-session with the stand-in notification service.
class PrivateBus {
public:
    // `serviceArguments`: "--invoke", "review", "--markup" or "--no-service".
    PrivateBus(const TreeBuilder &tree, const QStringList &serviceArguments = {});
    ~PrivateBus();
    bool ready() const { return !m_address.isEmpty(); }
    const QString &address() const { return m_address; }
    // Every Notify call the service received, oldest first: a notice, or the replacement
    // of one ("replaces" is the id of the one replaced, 0 for a new notice).
    std::vector<QJsonObject> notices() const;
    // What the user sees: one entry per notice, as its last call left it, in the order
    // the notices first appeared.
    std::vector<QJsonObject> shown() const;
    // The CloseNotification calls, each {"closed": id}.
    std::vector<QJsonObject> closed() const;
    // Whether any call named `name` in its summary or body.
    bool told(const QString &name) const;

private:
    QProcess m_process;
    QString m_address;
    fs::path m_log;
};

// A tree with Applications/, home/ (its Library and Trash) and settings/.
struct WatchedTree {
    TreeBuilder tree;
    fs::path applications, home, trash, settings;
    WatchedTree();
    // An application with a preferences file of its own, so that it leaves something.
    fs::path appWithLeftovers(const std::string &name, const std::string &identifier);
    // Sets a switch in the shared suite, or a setting in the standard store, as the
    // preferences do.
    void setSuiteSwitch(const QString &key, int value);
    void setSetting(const QString &key, int value);
    std::vector<std::string> goneKeys() const;
};

class WatcherProcess {
public:
    WatcherProcess(const WatchedTree &t, const PrivateBus *bus, const QString &program = QString());
    ~WatcherProcess();
    // Started and its first look written.
    bool started();
    bool running() const { return m_process.state() == QProcess::Running; }
    QProcess &process() { return m_process; }

private:
    const WatchedTree &m_tree;
    QProcess m_process;
};

// Editor and Viewer installed, each with leftovers, and a watcher on them whose notices go
// to a private bus: what most watcher tests start from.
struct WatchingTwoApplications {
    WatchedTree t;
    PrivateBus bus{t.tree};
    std::optional<WatcherProcess> watcher;
    WatchingTwoApplications() {
        t.appWithLeftovers("Editor", "com.vendor.editor");
        t.appWithLeftovers("Viewer", "com.vendor.viewer");
    }
    // The bus up, the watcher started and its first look written.
    bool start() { return bus.ready() && watcher.emplace(t, &bus).started(); }
};

} // namespace zembra::test
