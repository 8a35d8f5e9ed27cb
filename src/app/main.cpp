// The desktop program: the delegate, the screens of each subsystem, the main window.
#include "catalogue/screens/CatalogueScreens.h"
#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantOverrides.h"
#include "grants/screens/GrantScreens.h"
#include "leftovers/screens/LeftoverScreens.h"
#include "periphery/AboutWindowController.h"
#include "platform/SettingsStore.h"
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
    QCoreApplication::setApplicationName(QStringLiteral("Uninstaller zembra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEMBRA_VERSION));
    // Answered before the GUI starts: a terminal without a display gets them too.
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication core(argc, argv);
        const ProgramOptions answered = parseProgramOptions(QCoreApplication::arguments()); // exits when answered
        std::fprintf(stderr, "uninstaller-zembra: %s\nTry 'uninstaller-zembra --help'.\n", qPrintable(answered.error));
        return 2;
    }
    QApplication app(argc, argv);

    const ProgramOptions options = parseProgramOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "uninstaller-zembra: %s\nTry 'uninstaller-zembra --help'.\n", qPrintable(options.error));
        return 2;
    }
    if (!options.settingsDir.isEmpty())
        platform::SettingsStore::setFolder(QDir(options.settingsDir).absolutePath());
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

    // The watcher started from the preferences works on the same folders as this run.
    QStringList watcherArguments;
    for (const auto &[option, folder] : options.grants)
        watcherArguments << QString::fromStdString(option) << QDir(QFile::decodeName(QByteArray::fromStdString(folder))).absolutePath();
    if (!options.settingsDir.isEmpty())
        watcherArguments << QStringLiteral("--settings-dir") << QDir(options.settingsDir).absolutePath();
    // Built once at start, shown from the menu.
    std::unique_ptr<PreferencesWindow> preferencesWindow(makePreferencesWindow(delegate, watcherArguments));

    WindowController window(delegate);
    window.addApplicationAction(makeShowAboutAction(&window));
    window.addApplicationAction(makeShowPreferencesAction(preferencesWindow.get(), &window));
    window.show();
    // The background watcher's notice asks for the review of an application it remembers.
    if (!options.reviewRemembered.isEmpty() &&
        !reviewRememberedApplication(delegate, platform::SettingsStore::folder(), options.reviewRemembered))
        std::fprintf(stderr, "uninstaller-zembra: no remembered application %s\n",
                     qPrintable(options.reviewRemembered));
    if (!options.screenshotsDir.isEmpty())
        ScreenshotTour::start(window, delegate, options.screenshotsDir);
    return app.exec();
}
