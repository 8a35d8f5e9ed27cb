#include "shell/ProgramOptions.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QFile>

namespace zembra {

ProgramOptions parseProgramOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Removes applications together with the files they left behind, after you review them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption applications(
        QStringLiteral("applications"),
        QStringLiteral("Use DIR as the Applications folder for this run."), QStringLiteral("DIR"));
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Use DIR as the home folder for this run."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption root(
        QStringLiteral("root"),
        QStringLiteral("Grant the whole disk, rooted at DIR, for this run."),
        QStringLiteral("DIR"));
    const QCommandLineOption settingsDir(
        QStringLiteral("settings-dir"),
        QStringLiteral("Keep the settings in DIR instead of the user's."), QStringLiteral("DIR"));
    const QCommandLineOption reviewRemembered(
        QStringLiteral("review-remembered"),
        QStringLiteral("Open the review of the leftovers of the application the background watcher "
                       "remembers as KEY."),
        QStringLiteral("KEY"));
    const QCommandLineOption removedApplications(
        QStringLiteral("removed-applications"),
        QStringLiteral(
            "Open the list of applications that were removed without Uninstaller zembra."));
    QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QStringLiteral("Render every screen into DIR as PNG files and quit."),
        QStringLiteral("DIR"));
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption recordScreens(
        QStringLiteral("record-screens"),
        QStringLiteral("Append every screen shown, and every time the window is "
                       "brought forward, to FILE."),
        QStringLiteral("FILE"));
    recordScreens.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({applications, home, root, settingsDir, reviewRemembered, removedApplications,
                       screenshots, recordScreens});

    ProgramOptions options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        options.helpShown = true;
        if (parser.isSet(QStringLiteral("help")))
            parser.showHelp(0);
        parser.showVersion();
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error =
            QStringLiteral("unexpected argument: ") + parser.positionalArguments().front();
        return options;
    }
    const std::pair<const QCommandLineOption *, const char *> folders[] = {
        {&applications, "--applications"}, {&home, "--home"}, {&root, "--root"}};
    for (const auto &[option, name] : folders)
        if (parser.isSet(*option))
            options.grants[name] = QFile::encodeName(parser.value(*option)).toStdString();
    options.settingsDir = parser.value(settingsDir);
    options.screenshotsDir = parser.value(screenshots);
    options.reviewRemembered = parser.value(reviewRemembered);
    options.removedApplications = parser.isSet(removedApplications);
    options.recordScreens = parser.value(recordScreens);
    if (parser.isSet(reviewRemembered) && options.reviewRemembered.isEmpty())
        options.error = QStringLiteral("--review-remembered needs a key");
    else if (parser.isSet(reviewRemembered) && options.removedApplications)
        options.error =
            QStringLiteral("--review-remembered and --removed-applications open different screens");
    return options;
}

bool asksForHelpOrVersion(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (word == "--")
            return false;
        if (word == "-h" || word == "--help" || word == "-?" || word == "--help-all" ||
            word == "-v" || word == "--version")
            return true;
    }
    return false;
}

} // namespace zembra
