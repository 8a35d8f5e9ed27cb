#pragma once
// The command line's words: which command, its arguments and options.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zembra::cli {

// A usage error: reported with the usage hint, exit status 2.
struct UsageError {
    std::string message;
};

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> grants; // option name -> folder
    std::vector<std::string> keep;
    std::vector<std::string> include; // --include: flagged or related rows to remove after all
    std::string settingsDir;          // --settings-dir: where the settings stores are kept
    bool json = false, dryRun = false, yes = false, help = false, version = false;
    bool includeDefaultApps = false, includeUtilities = false;
    bool related = false; // --related: append the "Possibly related" group
};

// Reads argv; throws UsageError on an unknown option or a missing value. "--" ends the
// options: every word after it is a command or an argument, even one starting with "-".
Options parse(int argc, char **argv);
// Throws unless exactly `count` arguments follow the command.
void requireArguments(const Options &o, size_t count, const char *what);
// Throws when an option outside `allowed` was given to this command.
void allowOnly(const Options &o, const std::set<std::string> &allowed);

} // namespace zembra::cli
