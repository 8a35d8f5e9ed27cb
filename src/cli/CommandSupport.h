#pragma once
// What the commands of the command line share: exit statuses, messages on stderr, the
// confirmation, the outcome report, and the final check that the output was written.
// Single-threaded, like the command line.

#include "catalogue/ItemRecord.h"
#include "cli/Options.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zembra::cli {

enum Exit { kDone = 0, kRemained = 1, kUsage = 2, kRunning = 3 };

// "zembra: MESSAGE" on stderr; the names it quotes (given by the user or found on disk)
// are shown escaped.
void warn(const std::string &message);

// Folders the search could not read: its list is incomplete. True when there were any.
bool reportUnreadable(const leftovers::SearchResult &result);
// Nothing is deleted on an incomplete search, nor when the list to delete could not be
// written out: says why, returns kRemained.
int refuseIncomplete(const char *why);

bool hasGrant(platform::SettingsStore &settings, const QString &key);
void warnWithoutHome(platform::SettingsStore &settings);

// The item a command names: it must exist and be a bundle (a folder) of the kind the
// command takes, so that a mistyped path (a home folder, "/", a file named X.app) can
// never become the item that is deleted. Throws UsageError otherwise.
std::filesystem::path existingItem(const std::string &given, const char *what,
                                   bool (*acceptsExtension)(const QString &));

// Asks on the terminal; without one, only --yes lets a removal go on.
bool confirmed(const Options &o, const std::string &question);

// Call just before deleting anything: a report lost afterwards says the removal ran.
void noteRemovalStarts();
// Prints what could not be removed (and the bytes freed); kDone or kRemained.
int reportRemainder(const Options &o, const std::vector<FileEntry> &remainder, std::uint64_t freed,
                    bool withSize);

// Every write to standard output must have gone through: flushes and closes it; a report
// that was lost is a failure (status 1 unless the command failed already), also after a
// removal. Returns the exit status.
int finishOutput(int status);

} // namespace zembra::cli
