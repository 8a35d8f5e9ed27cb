// The desktop program: the delegate, the screens of each subsystem, the main window.
#include "catalogue/screens/CatalogueScreens.h"
#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantOverrides.h"
#include "grants/screens/GrantScreens.h"
#include "leftovers/screens/LeftoverScreens.h"
#include "periphery/AboutWindowController.h"
#include "platform/SettingsStore.h"
#include "platform/VisibleText.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/screens/PreferencesWindow.h"
#include "shell/AppDelegate.h"
#include "shell/ProgramOptions.h"
#include "shell/RememberedReview.h"
#include "shell/ScreenshotTour.h"
#include "shell/WindowController.h"
#include "shell/screens/ShellScreens.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    using namespace zembra;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Uninstaller zembra"));
    QApplication::setApplicationVersion(QStringLiteral(ZEMBRA_VERSION));

    const ProgramOptions options = parseProgramOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "uninstaller-zembra: %s\nTry 'uninstaller-zembra --help'.\n", qPrintable(options.error));
        return 2;
    }
    if (!options.settingsDir.isEmpty())
        platform::SettingsStore::setFolder(QDir(options.settingsDir).absolutePath());
    if (const auto problem = platform::SettingsStore::folderProblem())
        std::fprintf(stderr, "uninstaller-zembra: %s: settings are kept for this run only\n", qPrintable(*problem));
    platform::SettingsStore &settings = platform::SettingsStore::standard();
    if (const auto error = grants::applyGrantOverrides(options.grants, settings)) {
        std::fprintf(stderr, "uninstaller-zembra: %s\n", error->c_str());
        return 2;
    }

    AppDelegate delegate(settings, platform::SettingsStore::suite(preferences::kSharedSuiteName));
    delegate.applicationDidFinishLaunching();
    registerShellScreens(delegate.storyboard(), delegate);
    registerGrantScreens(delegate.storyboard(), delegate);
    registerCatalogueScreens(delegate.storyboard(), delegate);
    registerLeftoverScreens(delegate.storyboard(), delegate);
    registerExtensionScreens(delegate.storyboard(), delegate);

    // The watcher started from the preferences works on the same folders as this run; the
    // folders granted for this run only are not registered for the next login.
    QStringList runOnlyArguments;
    for (const auto &[option, folder] : options.grants)
        runOnlyArguments << QString::fromStdString(option) << QDir(QFile::decodeName(QByteArray::fromStdString(folder))).absolutePath();
    QStringList watcherArguments;
    if (!options.settingsDir.isEmpty())
        watcherArguments << QStringLiteral("--settings-dir") << QDir(options.settingsDir).absolutePath();
    // Built once at start, shown from the menu.
    std::unique_ptr<PreferencesWindow> preferencesWindow(
        makePreferencesWindow(delegate, watcherArguments, runOnlyArguments));

    WindowController window(delegate);
    window.addApplicationAction(makeShowAboutAction(&window));
    window.addApplicationAction(makeShowPreferencesAction(preferencesWindow.get(), &window));
    window.show();
    // The background watcher's notice asks for the review of an application it remembers.
    if (!options.reviewRemembered.isEmpty() &&
        !reviewRememberedApplication(delegate, platform::SettingsStore::folder(), options.reviewRemembered))
        std::fprintf(stderr, "uninstaller-zembra: no remembered application %s\n",
                     qPrintable(platform::visiblyEscaped(options.reviewRemembered)));
    if (!options.screenshotsDir.isEmpty())
        ScreenshotTour::start(window, delegate, options.screenshotsDir);
    return app.exec();
}
