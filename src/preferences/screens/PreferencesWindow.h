#pragma once
// The preferences window: a toolbar of panes (each with its identifier, label and image)
// above the pane chosen, one at a time. Built when first asked for with the "General" and
// "Spider" panes (start-up does not pay for its images) and kept to be shown again; it
// owns its panes and the watcher's login item. GUI thread.

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QStackedWidget;

namespace zembra {

class AppDelegate;
class PreferencesPane;

namespace platform {
class LoginItem;
}

class PreferencesWindow : public QMainWindow {
    Q_OBJECT
public:
    // `panes` are widgets that are also PreferencesPanes, in toolbar order; the window
    // takes them over. The first is shown.
    PreferencesWindow(const std::vector<QWidget *> &panes, const QString &title,
                      QWidget *parent = nullptr);
    ~PreferencesWindow() override;

    // Keeps the login item the Spider pane uses for as long as the window lives.
    void keepLoginItem(std::unique_ptr<platform::LoginItem> loginItem);

    // Shows the pane with `identifier`; false for an unknown one.
    bool selectPane(const QString &identifier);
    QString selectedPane() const;

    // showWindow: shows, raises and activates the window.
    void showWindow();

private:
    QStackedWidget *m_stack;
    std::vector<QAction *> m_items;
    std::unique_ptr<platform::LoginItem> m_loginItem;
};

// The window of the application: "Preferences" with "PreferencesMain" and
// "PreferencesSpider", reading and writing the delegate's standard store and shared
// suite. `watcherArguments` are given to the watcher the Spider pane starts and written
// into its login item (this run's --settings-dir); `runOnlyArguments` only to the watcher
// started now (this run's --applications/--home/--root, granted for this run only).
PreferencesWindow *makePreferencesWindow(AppDelegate &delegate,
                                         const QStringList &watcherArguments = {},
                                         const QStringList &runOnlyArguments = {},
                                         QWidget *parent = nullptr);

// A "Preferences…" action with Ctrl+, (Cmd+, on macOS) that shows `window`.
QAction *makeShowPreferencesAction(PreferencesWindow *window, QObject *parent);
// The same action, building its window with `make` when first triggered; the action owns
// the window it built.
QAction *makeShowPreferencesAction(std::function<PreferencesWindow *()> make, QObject *parent);

} // namespace zembra
