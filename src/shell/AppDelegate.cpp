#include "shell/AppDelegate.h"

#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"

#include <QCoreApplication>

#include <cstdlib>

namespace zembra {

namespace {
AppDelegate *g_shared = nullptr;
}

AppDelegate::AppDelegate(platform::SettingsStore &settings, platform::SettingsStore &suite, QObject *parent)
    : QObject(parent), m_settings(settings), m_suite(suite)
{
    g_shared = this;
}

AppDelegate::~AppDelegate()
{
    if (g_shared == this)
        g_shared = nullptr;
}

AppDelegate *AppDelegate::shared() { return g_shared; }

void AppDelegate::applicationDidFinishLaunching()
{
    m_settings.setInteger(screens::kAppLaunchCount, m_settings.integerForKey(screens::kAppLaunchCount) + 1);
    m_settings.synchronize();
}

int AppDelegate::appLaunchCount() const { return m_settings.integerForKey(screens::kAppLaunchCount); }

void AppDelegate::terminateApp()
{
    if (m_settings.integerForKey(screens::kPresentAsSheet) == 1) {
        m_settings.synchronize();
        std::exit(0);
    }
    QCoreApplication::quit();
}

} // namespace zembra
