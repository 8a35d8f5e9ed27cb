#pragma once
// Runs the watcher as a real process on a temporary tree, with a private session bus and
// a stand-in notification service when asked. Every wait polls with a time limit.

#include "catalogue/ItemRecord.h"
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
    std::vector<QString> summaries() const;
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
    // "--applications", "--home" and "--settings-dir" with this tree's folders.
    QStringList folderArguments() const;
    // An application with a preferences file of its own, so that it leaves something.
    fs::path appWithLeftovers(const std::string &name, const std::string &identifier);
    // Several of them, each named "com.vendor." and its name in lower case.
    void appsWithLeftovers(std::initializer_list<std::string> names);
    // Sets a switch in the shared suite, or a setting in the standard store, as the
    // preferences do.
    void setSuiteSwitch(const QString &key, int value);
    void setSetting(const QString &key, int value);
    // Waits until the remembered gone applications are `keys`, in any order.
    bool waitForGone(std::vector<std::string> keys) const;
    // The remembered record of `key`, as the watcher last wrote it.
    std::shared_ptr<ApplicationItem> remembered(const QString &key) const;
};

// The watcher on a tree's folders; its standard error is kept, for what a refusal says.
struct WatcherProcess {
    const WatchedTree &tree;
    QProcess process;
    WatcherProcess(const WatchedTree &t, const PrivateBus *bus, const QString &program = {});
    ~WatcherProcess();
    // Started and its first look written.
    bool started();
    bool running() const { return process.state() == QProcess::Running; }
};

// A tree, a private bus and a watcher whose notices go to it: what most watcher tests
// start from.
struct Watching {
    WatchedTree t;
    std::optional<PrivateBus> bus;
    std::optional<WatcherProcess> watcher;
    // The bus up, the watcher started and its first look written.
    bool start(const QStringList &serviceArguments = {}, const QString &program = {}) {
        return bus.emplace(t.tree, serviceArguments).ready() &&
               watcher.emplace(t, &*bus, program).started();
    }
};

} // namespace zembra::test
