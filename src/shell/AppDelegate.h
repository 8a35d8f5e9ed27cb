#pragma once
// The application's delegate: the one-time start-up work (the launch count), the state
// that the screens hand to each other, and the quit action. Made once by the program's
// main() before the main window; every screen reaches it through `AppDelegate::shared()`
// or is handed it. GUI thread only, except `state()`, whose fields are replaced whole
// under a lock. Its destructor waits a bounded while for the background work still running
// (every job was cancelled with its screen); work that does not end in time ends the
// process, so no worker outlives the settings it was handed and quitting never hangs.

#include "shell/ScreenRegistry.h"
#include "shell/SharedState.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace zembra {

namespace platform {
class SettingsStore;
}

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // `settings` is the standard store; `suite` the shared suite the watcher reads too.
    AppDelegate(platform::SettingsStore &settings, platform::SettingsStore &suite,
                QObject *parent = nullptr);
    ~AppDelegate() override;

    // The delegate of this process; null before one is made.
    static AppDelegate *shared();

    SharedState &state() { return m_state; }
    platform::SettingsStore &app_settings() { return m_settings; }
    platform::SettingsStore &suite() { return m_suite; }
    // The screens, sheets and popovers by identifier (the storyboard "Main"): every
    // screen makes its sheets from here.
    ScreenRegistry &storyboard() { return m_storyboard; }

    // Counts this launch under "appLaunchCount" and writes it to disk.
    void applicationDidFinishLaunching();
    int appLaunchCount() const;

    // Asks the application to quit; while the access sheet is presented ("PresentAsSheet"
    // 1) the process ends at once with status 0. While work that must not be cut short
    // runs (a removal), its screen is asked instead and nothing quits.
    void terminateApp();

    // A screen whose work must not end unseen (a removal) registers while it works:
    // quitting, from the menu or by closing the window, then calls `ask` (which puts the
    // question to the user) instead of quitting. Cleared by clearQuitGuard or when
    // `owner` is destroyed.
    void setQuitGuard(QObject *owner, std::function<void()> ask);
    void clearQuitGuard(QObject *owner);
    // Something registered above is working: the caller asks it and does not quit.
    bool askQuitGuard();

private:
    platform::SettingsStore &m_settings;
    platform::SettingsStore &m_suite;
    SharedState m_state;
    ScreenRegistry m_storyboard;
    QPointer<QObject> m_quitGuardOwner;
    std::function<void()> m_quitGuard;
};

} // namespace zembra
