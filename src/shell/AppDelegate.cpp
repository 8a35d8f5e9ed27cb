#include "shell/AppDelegate.h"

#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>

namespace zembra {

namespace {
AppDelegate *g_shared = nullptr;

// How long quitting waits for the background work. By now the screens are gone and each
// job was cancelled with its screen; a search stops at its next entry, and no deletion is
// under way: quitting during one is held back until it has ended. A worker still busy after
// this is stuck in the file system (a hung network mount): waiting longer would only hang
// the quit.
constexpr int kQuitGraceMilliseconds = 3000;
} // namespace

AppDelegate::AppDelegate(platform::SettingsStore &settings, platform::SettingsStore &suite,
                         QObject *parent)
    : QObject(parent), m_settings(settings), m_suite(suite) {
    g_shared = this;
}

AppDelegate::~AppDelegate() {
    if (g_shared == this)
        g_shared = nullptr;
    // Workers read the settings this delegate was handed, which go right after it: none may
    // outlive them. One that does not end in time ends with the process instead, before
    // any destructor runs (every setting is on disk already, written when it was set).
    if (!QThreadPool::globalInstance()->waitForDone(kQuitGraceMilliseconds)) {
        std::fputs("uninstaller-zembra: background work did not stop; ending without it\n", stderr);
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

AppDelegate *AppDelegate::shared() {
    return g_shared;
}

void AppDelegate::applicationDidFinishLaunching() {
    m_settings.setInteger(screens::kAppLaunchCount,
                          m_settings.integerForKey(screens::kAppLaunchCount) + 1);
}

int AppDelegate::appLaunchCount() const {
    return m_settings.integerForKey(screens::kAppLaunchCount);
}

void AppDelegate::setQuitGuard(QObject *owner, std::function<void()> ask) {
    m_quitGuardOwner = owner;
    m_quitGuard = std::move(ask);
}

void AppDelegate::clearQuitGuard(QObject *owner) {
    if (m_quitGuardOwner == owner) {
        m_quitGuardOwner = nullptr;
        m_quitGuard = nullptr;
    }
}

bool AppDelegate::askQuitGuard() {
    if (!m_quitGuardOwner || !m_quitGuard)
        return false;
    m_quitGuard();
    return true;
}

void AppDelegate::terminateApp() {
    if (askQuitGuard())
        return;
    if (m_settings.integerForKey(screens::kPresentAsSheet) == 1) {
        m_settings.synchronize();
        std::exit(0);
    }
    QCoreApplication::quit();
}

} // namespace zembra
