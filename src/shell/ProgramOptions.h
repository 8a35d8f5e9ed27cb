#pragma once
// The GUI program's options: the command line's folder grants for this run
// (--applications, --home, --root), --settings-dir DIR for both settings stores,
// --review-remembered KEY that opens the review of an application the background watcher
// remembers (its notices start the program so), --removed-applications that opens the list
// of applications removed without this program (the notice for a burst of removals), the
// hidden --screenshots DIR that renders every screen into DIR and quits, and the hidden
// --record-screens FILE that appends what the window shows to FILE (tests of other
// processes read it).

#include <QString>
#include <QStringList>

#include <map>
#include <string>

namespace zembra {

struct ProgramOptions {
    std::map<std::string, std::string> grants; // "--home" -> folder, as the command line takes them
    QString settingsDir;
    QString screenshotsDir;
    QString reviewRemembered; // the remembered key (a bundle identifier or a bundle's path)
    bool removedApplications = false;
    QString recordScreens;
    QString error; // a usage error, to print before exiting with status 2
    bool helpShown = false;
};

// Parses `arguments` (the program's name first); prints --help and --version itself.
ProgramOptions parseProgramOptions(const QStringList &arguments);

// True when the words ask for --help or --version: they are answered before any window
// (or display) is needed, so that they work in a terminal without one.
bool asksForHelpOrVersion(int argc, char **argv);

} // namespace zembra
