// The desktop program: the delegate, the screens of each subsystem, the main window.
#include "app/InstanceRequests.h"
#include "app/ScreenshotTour.h"
#include "catalogue/screens/CatalogueScreens.h"
#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantOverrides.h"
#include "grants/screens/GrantScreens.h"
#include "leftovers/screens/LeftoverScreens.h"
#include "periphery/AboutWindowController.h"
#include "platform/InstanceChannel.h"
#include "platform/SettingsStore.h"
#include "platform/VisibleText.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/screens/PreferencesWindow.h"
#include "shell/AppDelegate.h"
#include "shell/DeferredIconStyle.h"
#include "shell/ProgramOptions.h"
#include "shell/WindowController.h"
#include "shell/screens/ShellScreens.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

namespace {

// For the start-up benchmark only: with ZEMBRA_EXIT_AT_FIRST_PAINT set the program ends
// as soon as its main window has been painted once, without tearing anything down, so
// the time from exec to exit is the time to the first paint.
class ExitAtFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        return QObject::eventFilter(watched, event);
    }
};

// Runs `work` once, right after the first paint of `window`: what the first screen does
// not need waits until the user sees the window.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *window, std::function<void()> work)
        : QObject(window), m_work(std::move(work)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && m_work) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::exchange(m_work, {})();
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_work;
};

} // namespace

int main(int argc, char **argv) {
    using namespace zembra;
    QCoreApplication::setApplicationName(QStringLiteral("Uninstaller zembra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEMBRA_VERSION));
    // Answered before the GUI starts: a terminal without a display gets them too.
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication core(argc, argv);
        const ProgramOptions answered =
            parseProgramOptions(QCoreApplication::arguments()); // exits when answered
        std::fprintf(stderr, "uninstaller-zembra: %s\nTry 'uninstaller-zembra --help'.\n",
                     qPrintable(answered.error));
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()->name()));

    const ProgramOptions options = parseProgramOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "uninstaller-zembra: %s\nTry 'uninstaller-zembra --help'.\n",
                     qPrintable(options.error));
        return 2;
    }
    if (!options.settingsDir.isEmpty())
        platform::SettingsStore::setFolder(QDir(options.settingsDir).absolutePath());
    if (const auto problem = platform::SettingsStore::folderProblem())
        std::fprintf(stderr, "uninstaller-zembra: %s: settings are kept for this run only\n",
                     qPrintable(*problem));
    platform::SettingsStore &settings = platform::SettingsStore::standard();
    if (const auto error = grants::applyGrantOverrides(options.grants, settings)) {
        std::fprintf(stderr, "uninstaller-zembra: %s\n", error->c_str());
        return 2;
    }

    // One window per settings folder: a later launch hands its request to the running one
    // and ends. The screenshot tour renders on its own and quits.
    std::unique_ptr<platform::InstanceChannel> channel;
    if (options.screenshotsDir.isEmpty()) {
        channel = platform::InstanceChannel::open(platform::SettingsStore::folder(),
                                                  options.settingsDir.isEmpty());
        if (channel->role() == platform::InstanceChannel::Role::Forwarding) {
            if (const auto refusal = channel->forward(requestOf(options))) {
                std::fprintf(stderr, "uninstaller-zembra: %s\n",
                             qPrintable(platform::visiblyEscaped(refusal->left(1000))));
                return 1;
            }
            return 0;
        }
        if (channel->role() == platform::InstanceChannel::Role::Unguarded)
            std::fprintf(
                stderr,
                "uninstaller-zembra: a later start on these settings opens another window: %s\n",
                qPrintable(platform::visiblyEscaped(channel->problem())));
    }

    AppDelegate delegate(settings, platform::SettingsStore::suite(preferences::kSharedSuiteName));
    // The launch count, the first screen and the access check each write a key: one file
    // rewrite for all of them, once the window has been painted (or at the end, should it
    // never be).
    auto startupWrites = std::make_unique<platform::SettingsStore::WriteBatch>(settings);
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
        runOnlyArguments
            << QString::fromStdString(option)
            << QDir(QFile::decodeName(QByteArray::fromStdString(folder))).absolutePath();
    QStringList watcherArguments;
    if (!options.settingsDir.isEmpty())
        watcherArguments << QStringLiteral("--settings-dir")
                         << QDir(options.settingsDir).absolutePath();
    WindowController window(delegate);
    window.addApplicationAction(makeShowAboutAction(&window));
    // Built when first asked for: its panes and images are not on the first screen.
    window.addApplicationAction(makeShowPreferencesAction(
        [&delegate, watcherArguments, runOnlyArguments] {
            return makePreferencesWindow(delegate, watcherArguments, runOnlyArguments);
        },
        &window));
    if (!options.recordScreens.isEmpty())
        recordScreens(window, options.recordScreens);
    window.show();
    InstanceRequests requests(delegate, window, platform::SettingsStore::folder(),
                              absoluteGrants(options.grants));
    if (channel)
        channel->setHandler([&requests](const platform::ActivationRequest &request) {
            return requests.answer(request);
        });
    // The background watcher's notices ask for the review of an application it remembers,
    // or for the list of the applications removed.
    const QString problem =
        openRequestedScreen(delegate, platform::SettingsStore::folder(), requestOf(options));
    if (!problem.isEmpty())
        std::fprintf(stderr, "uninstaller-zembra: %s\n",
                     qPrintable(platform::visiblyEscaped(problem)));
    new AfterFirstPaint(&window, [&startupWrites] { startupWrites.reset(); });
    if (!options.screenshotsDir.isEmpty())
        ScreenshotTour::start(window, delegate, options.screenshotsDir);
    // Installed last, so it sees the first paint before the work held back for it.
    if (qEnvironmentVariableIsSet("ZEMBRA_EXIT_AT_FIRST_PAINT"))
        window.installEventFilter(new ExitAtFirstPaint(&window));
    return app.exec();
}
