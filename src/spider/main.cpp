// zembra-spider: the background watcher. Started at login by its autostart entry, or by
// the preferences when it is switched on; one runs per settings folder.

#include "grants/GrantOverrides.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileSystem.h"
#include "platform/LoginItem.h"
#include "platform/PidFile.h"
#include "platform/SettingsStore.h"
#include "platform/Termination.h"
#include "platform/VisibleText.h"
#include "preferences/PreferenceKeys.h"
#include "spider/Spider.h"

#include <QCoreApplication>

#include <cstdio>
#include <map>
#include <string>

namespace {

const char *kUsage = R"(Usage: zembra-spider [OPTIONS]

Watches the Applications folder and the Trash, and tells you when an application was
removed without Uninstaller zembra and left files behind.

Options:
  --applications DIR   watch DIR as the granted Applications folder
  --home DIR           use DIR as the granted home folder (and its Trash)
  --root DIR           grant the whole disk, rooted at DIR
  --settings-dir DIR   keep the settings, the remembered applications and the pid file in DIR
  --reread-all         read every application again on each change, not only what changed
                       (slower; to compare against)
  -h, --help           show this help

Without --applications and --home the grants stored by the application are used.
)";

int usage(const std::string &message) {
    std::fprintf(stderr, "zembra-spider: %s\nTry 'zembra-spider --help'.\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    using namespace zembra;
    std::map<std::string, std::string> grantOptions;
    QString settingsDir;
    QStringList guiArguments; // handed on to the application's review
    bool rereadAll = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--reread-all") {
            rereadAll = true;
            continue;
        }
        const bool known = grants::isGrantOption(a) || a == "--settings-dir";
        if (!known)
            return usage("unknown option " + a);
        if (i + 1 >= argc || !*argv[i + 1])
            return usage(a + " needs a value");
        // The application may start in another folder: hand it absolute paths.
        const QString value = platform::displayPath(platform::absolutePath(argv[++i]));
        if (grants::isGrantOption(a))
            grantOptions[a] = argv[i];
        else
            settingsDir = value;
        guiArguments << QString::fromStdString(a) << value;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zembra-spider"));
    if (!settingsDir.isEmpty())
        platform::SettingsStore::setFolder(settingsDir);
    // Without its folder the watcher could neither remember nor hold its pid file.
    if (const auto problem = platform::SettingsStore::folderProblem()) {
        std::fprintf(stderr, "zembra-spider: %s: the watcher does not run\n", qPrintable(*problem));
        return 1;
    }
    platform::SettingsStore &settings = platform::SettingsStore::standard();
    if (const auto error = grants::applyGrantOverrides(grantOptions, settings))
        return usage(*error);

    const QString folder = platform::SettingsStore::folder();
    const QString shownFolder = platform::visiblyEscaped(
        std::string_view(platform::watcherPidFile(folder).parent_path().native()));
    // Before the pid file is held: a stop asked as soon as it is held ends the run cleanly.
    platform::quitOnTerminationRequest();
    std::string problem;
    const auto pidFile = platform::PidFile::acquire(platform::watcherPidFile(folder), &problem);
    if (!pidFile && !problem.empty()) {
        std::fprintf(stderr, "zembra-spider: %s in %s: the watcher does not run\n", problem.c_str(),
                     qPrintable(shownFolder));
        return 1;
    }
    if (!pidFile) {
        const auto pid = platform::PidFile::holder(platform::watcherPidFile(folder));
        std::fprintf(stderr, "zembra-spider: already running for %s (pid %ld)\n",
                     qPrintable(shownFolder), pid.value_or(0));
        return 1;
    }

    const auto notifier = platform::makeDesktopNotifier();
    spider::Spider spider(settings, platform::SettingsStore::suite(preferences::kSharedSuiteName),
                          folder, *notifier, guiArguments, rereadAll);
    spider.start();
    return app.exec();
}
