#include "shell/AppDelegate.h"

#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <cstdlib>

namespace zembra {

namespace {
AppDelegate *g_shared = nullptr;
}

AppDelegate::AppDelegate(platform::SettingsStore &settings, platform::SettingsStore &suite,
                         QObject *parent)
    : QObject(parent), m_settings(settings), m_suite(suite) {
    g_shared = this;
}

AppDelegate::~AppDelegate() {
    QThreadPool::globalInstance()->waitForDone();
    if (g_shared == this)
        g_shared = nullptr;
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
