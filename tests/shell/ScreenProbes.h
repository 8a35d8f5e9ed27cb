#pragma once
// What the screen test programs share: a workspace that records what it was asked to show,
// a wait on the event loop, a process started from a test bundle, and the check that a
// screen reader finds every control under a name of its own.

#include "platform/Workspace.h"
#include "support/TreeBuilder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace zembra::test {

class RecordingWorkspace : public platform::Workspace {
public:
    // `plainIcons`: every file shows one drawn picture, not the desktop theme's.
    explicit RecordingWorkspace(bool plainIcons = false) : m_plainIcons(plainIcons) {}
    QIcon iconForFile(const fs::path &path) override {
        return m_plainIcons ? iconForFileType({}) : Workspace::iconForFile(path);
    }
    QIcon iconForFileType(const QString &type) override {
        if (!m_plainIcons)
            return Workspace::iconForFileType(type);
        QPixmap p(32, 32);
        p.fill(Qt::darkCyan);
        return QIcon(p);
    }
    bool activateFileViewerSelectingURLs(const std::vector<fs::path> &paths) override {
        revealed.push_back(paths);
        return true;
    }
    bool openURL(const QUrl &url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<std::vector<fs::path>> revealed;
    std::vector<QUrl> opened;

private:
    bool m_plainIcons;
};

// Runs the event loop until `done` holds or `ms` passed; true when it held.
template <typename Pred> bool waitFor(Pred done, int ms = 20000) {
    return QTest::qWaitFor(done, ms);
}

// A `sleep` copied into `bundle` as its executable `name` and started; killed at the end.
class BundledProcess {
public:
    BundledProcess(const fs::path &bundle, const std::string &name) {
        const fs::path exe = bundle / "Contents/MacOS" / name;
        fs::create_directories(exe.parent_path());
        fs::copy_file("/bin/sleep", exe, fs::copy_options::overwrite_existing);
        fs::permissions(exe, fs::perms(0755));
        std::string arg0 = name, arg1 = "60";
        char *argv[] = {arg0.data(), arg1.data(), nullptr};
        if (posix_spawn(&m_pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0)
            m_pid = 0;
    }
    ~BundledProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool running() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

// The first column's text of every row of `model`.
inline QStringList labels(const QAbstractItemModel *model) {
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, 0).data().toString();
    return out;
}

// Every control shown in `window` has a spoken name, and no two share one.
inline void expectControlsNamedOnce(QWidget *window, const std::string &where) {
    std::map<QString, int> seen;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                             qobject_cast<QAbstractItemView *>(w) ||
                             qobject_cast<QProgressBar *>(w) || w->acceptDrops();
        if (!control || !w->isVisible())
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        EXPECT_FALSE(name.trimmed().isEmpty()) << where << ": " << w->metaObject()->className()
                                               << " " << w->objectName().toStdString();
        EXPECT_EQ(++seen[name], 1) << where << ": two controls named " << name.toStdString();
    }
    EXPECT_FALSE(seen.empty()) << where;
}

// The popover or sheet window `scene` is one of the application's windows a screen reader
// lists, and every text of `spoken` is said somewhere inside it; the keyboard starts on
// one of its buttons.
inline void expectInAccessibilityTree(QWidget *scene, const QStringList &spoken,
                                      const std::string &where) {
    ASSERT_NE(scene, nullptr) << where;
    QAccessibleInterface *application =
        QAccessible::queryAccessibleInterface(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    QAccessibleInterface *window = nullptr;
    for (int i = 0; i < application->childCount(); ++i)
        if (application->child(i) && application->child(i)->object() == scene->window())
            window = application->child(i);
    ASSERT_NE(window, nullptr) << where << ": not among the application's windows";
    EXPECT_FALSE(window->text(QAccessible::Name).isEmpty()) << where << ": the window has no name";
    QStringList said;
    int buttons = 0;
    std::vector<QAccessibleInterface *> todo{window};
    while (!todo.empty()) {
        QAccessibleInterface *a = todo.back();
        todo.pop_back();
        said << a->text(QAccessible::Name) << a->text(QAccessible::Description);
        if (a->role() == QAccessible::PushButton && !a->state().invisible)
            ++buttons;
        for (int i = 0; i < a->childCount(); ++i)
            if (QAccessibleInterface *c = a->child(i))
                todo.push_back(c);
    }
    for (const QString &text : spoken)
        EXPECT_TRUE(said.join(QLatin1Char('\n')).contains(text))
            << where << ": nothing says " << text.toStdString()
            << " in: " << said.join(QLatin1Char('|')).toStdString();
    EXPECT_GT(buttons, 0) << where;
    QWidget *focus = scene->window()->focusWidget();
    EXPECT_TRUE(focus && qobject_cast<QAbstractButton *>(focus))
        << where << ": the keyboard does not start on it";
}

} // namespace zembra::test
