#include "cli/Cli.h"

#include "catalogue/Application.h"
#include "cli/CommandSupport.h"
#include "cli/ExtensionCommands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "extensions/Bundle.h"
#include "grants/GrantKeys.h"
#include "grants/GrantOverrides.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Removal.h"
#include "leftovers/Review.h"
#include "leftovers/Selection.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "preferences/PreferenceKeys.h"

#include <QFile>

#include <map>
#include <set>
#include <string>

namespace zembra::cli {

namespace {

namespace fs = std::filesystem;

const char *kUsageText = R"(Usage: zembra COMMAND [OPTIONS]

Removes applications together with the files they left behind, and lists and
removes plug-ins, preference panes and Safari extensions.

Commands:
  apps                          list the installed applications
  leftovers APP_PATH            list what APP_PATH left behind, grouped, with sizes;
                                entries another installed application uses are marked
                                "! also NAME" (or "! shared with NAME"), entries only
                                a short or generic name found "~ weak match"
  remove APP_PATH               remove APP_PATH and its leftovers (after confirming)
  plugins                       list the plug-ins
  prefpanes                     list the preference panes
  safari-extensions             list the Safari extensions
  remove-plugin PATH            remove a plug-in and its leftovers
  remove-safari-extension ID    remove the Safari extension with identifier ID

Options:
  --applications DIR            use DIR as the granted Applications folder
  --home DIR                    use DIR as the granted home folder
  --root DIR                    grant the whole disk, rooted at DIR
  --include-default-apps        list Apple's applications too (apps)
  --include-utilities           list the Utilities folder too (apps)
  --keep PATH                   keep this entry, what is inside it, and every listed
                                folder holding it (remove; may be repeated)
  --related                     append the "Possibly related" group: entries found
                                where the search does not look, each with its reason
                                (leftovers, remove)
  --include PATH                remove this marked, weak or related entry too; remove keeps
                                them otherwise (remove; may be repeated)
  --dry-run                     show every entry found, marking those that would be
                                kept and why ("- kept: REASON"); delete nothing
  --yes                         do not ask for confirmation
  --json                        print JSON
  --settings-dir DIR            keep the application's settings in DIR, not in the
                                user's configuration folder
  --                            end of options: what follows is an argument even if it
                                starts with "-"
  -h, --help                    show this help
  --version                     show the version

Without --applications, --home and --root the grants stored by the application are
used. In --json, an entry another installed application uses carries "also": [NAMES],
a weak match "weak": true, a related one "related": true and "reason", and in a dry
run a kept one "kept": REASON ("weak match" for a weak one).
Control characters in names are shown escaped ("\r", "\x1b", "\u202e"; a
backslash as "\\"). Exit status: 0 done; 1 something could not be removed, a granted
folder could not be read (a removal then deletes nothing), or the output could not be
written (also after a removal that was carried out); 2 usage error; 3 the application
is running.
)";

void applyGrants(const Options &o, platform::SettingsStore &settings) {
    if (const auto error = grants::applyGrantOverrides(o.grants, settings))
        throw UsageError{*error};
}

// Messages quote paths and words given by the user or found on disk: shown escaped.

bool isApplicationOrPane(const QString &extension) {
    return extension == QLatin1String("app") || Bundle::isPrefPaneExtension(extension);
}

int commandApps(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 0, "");
    if (o.includeDefaultApps)
        settings.setOverride(preferences::kIncludeDefaultApps, 1);
    if (o.includeUtilities)
        settings.setOverride(preferences::kIncludeUtilities, 1);
    if (!hasGrant(settings, grants::kApplications))
        throw UsageError{"no Applications folder is granted: pass --applications DIR"};
    Application enumerator(settings);
    const ApplicationList apps = enumerator.installedApplications();
    print(o.json ? jsonItems(apps)
                 : itemTable(asRecords(apps), QStringLiteral("No applications found.")));
    return kDone;
}

std::shared_ptr<ApplicationItem>
searchedApplication(const Options &o, platform::SettingsStore &settings, bool &incomplete,
                    std::shared_ptr<const leftovers::FolderListings> &listings) {
    const fs::path path = existingItem(o.positional.at(0), "application", isApplicationOrPane);
    // A preference pane goes through the same review, labelled as the pane list shows it.
    auto item = Bundle::isPrefPaneExtension(platform::pathExtension(path))
                    ? Bundle(settings).prefPane(path)
                    : Application(settings).application(path);
    warnWithoutHome(settings);
    leftovers::SearchResult result =
        leftovers::searchLeftovers(*item, settings, leftovers::SearchMode::Review);
    incomplete = reportUnreadable(result);
    listings = std::move(result.listings);
    return item;
}

// The right to delete: the stored grants, and the bundle, which naming it on the command
// line grants, as dropping it on the window does.
platform::DeletionScope scopeFor(const ItemRecord &item, platform::SettingsStore &settings) {
    platform::DeletionScope scope = grants::GrantStore(settings).deletionScope();
    if (item.url())
        scope.addItem(*item.url());
    return scope;
}

// The review, with what `scope` would refuse unticked and saying why.
leftovers::Review reviewOf(const ItemRecord &item, platform::SettingsStore &settings, bool related,
                           const leftovers::FolderListings *listings,
                           const platform::DeletionScope &scope) {
    leftovers::Review review = leftovers::buildReview(
        item, settings, Application(settings).everyInstalledApplication(), related, listings);
    review.markNotAllowed([&scope](const fs::path &p) { return scope.allows(p); });
    return review;
}

int commandLeftovers(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 1, "one APP_PATH");
    bool incomplete = false;
    std::shared_ptr<const leftovers::FolderListings> listings;
    const auto item = searchedApplication(o, settings, incomplete, listings);
    const leftovers::Review review =
        reviewOf(*item, settings, o.related, listings.get(), scopeFor(*item, settings));
    const auto notes = rowNotes(review, {});
    print(o.json ? jsonLeftovers(*item, review.files, review.sizes, true, notes)
                 : leftoverText(*item, review.files, review.sizes, true, notes));
    return incomplete ? kRemained : kDone;
}

// The rows of `path` in the review; a usage error naming `option` when there are none.
std::vector<size_t> rowsOf(const leftovers::Review &review, const std::string &given,
                           const char *option) {
    const fs::path path = platform::absolutePath(given);
    std::vector<size_t> rows;
    for (size_t i = 0; i < review.files.size(); ++i)
        if (review.files[i].isFileURL() && review.files[i].path() == path)
            rows.push_back(i);
    if (rows.empty())
        throw UsageError{std::string(option) + " " + given +
                         ": not in the list of entries to remove"};
    return rows;
}

int refuseRunning(const ItemRecord &item) {
    warn(item.label().value_or(QString()).toStdString() +
         " is running: quit it before removing it");
    return kRunning;
}

int commandRemove(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 1, "one APP_PATH");
    bool incomplete = false;
    std::shared_ptr<const leftovers::FolderListings> listings;
    const auto item = searchedApplication(o, settings, incomplete, listings);
    const platform::DeletionScope scope = scopeFor(*item, settings);
    const leftovers::Review review = reviewOf(*item, settings, o.related, listings.get(), scope);
    leftovers::Selection selection = review.selection();
    for (const std::string &include : o.include)
        for (size_t row : rowsOf(review, include, "--include"))
            selection.setSelected(row, true);
    std::set<fs::path> named;
    for (const std::string &keep : o.keep) {
        named.insert(platform::absolutePath(keep));
        rowsOf(review, keep, "--keep");
        selection.deselect(platform::absolutePath(keep));
    }
    std::vector<QString> kept = review.keptReasons(selection);
    for (size_t i = 0; i < kept.size(); ++i)
        if (!kept[i].isEmpty() && named.count(review.files[i].path()))
            kept[i] = QStringLiteral("--keep");
    // Deleting a folder would take the kept entries inside it along.
    for (size_t i = 0; i < selection.files().size(); ++i) {
        const auto below = selection.keptRowsBelow(i);
        if (below.empty() || !named.insert(selection.files()[i].path()).second)
            continue;
        warn("keeping " + selection.files()[i].path().native() + ", which holds the kept entry " +
             selection.files()[below.front()].path().native());
    }

    const auto notes = rowNotes(review, kept);
    const std::string listing = o.json
                                    ? jsonLeftovers(*item, review.files, review.sizes, true, notes)
                                    : leftoverText(*item, review.files, review.sizes, true, notes);
    if (o.dryRun) {
        print(listing);
        return incomplete ? kRemained : kDone;
    }
    if (incomplete)
        return refuseIncomplete("the search could not read every granted folder");
    if (!selection.anySelected()) {
        print("Nothing selected to remove.\n");
        return kDone;
    }
    // Checked before asking, and again by the removal itself.
    if (leftovers::isRunning(*item, platform::runningApplications(), selection.prepare()))
        return refuseRunning(*item);
    if (!o.json)
        print(listing);
    if (!confirmed(o, "Remove these entries (" +
                          platform::formatByteCount(selection.common_remove_size()).toStdString() +
                          ")?")) {
        print("Nothing removed.\n");
        return kDone;
    }
    if (stdoutError())
        return refuseIncomplete("the list of entries to remove could not be written");
    noteRemovalStarts();
    // A command line reports in text; it does not chime (and would exit mid-sound).
    leftovers::RemovalServices services;
    services.playCompletionSound = nullptr;
    const leftovers::RemovalOutcome outcome =
        leftovers::removeSelection(scope, *item, selection.prepare(), selection.clean_size(),
                                   selection.common_remove_size(), services);
    if (outcome.refusedRunning)
        return refuseRunning(*item);
    return reportRemainder(o, outcome.remainder_urls, outcome.common_remove_size, true);
}

void useSettingsFolder(const Options &o) {
    if (o.settingsDir.empty())
        return;
    const fs::path dir = platform::absolutePath(o.settingsDir);
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw UsageError{"--settings-dir: no folder at " + o.settingsDir};
    platform::SettingsStore::setFolder(QFile::decodeName(QByteArray::fromStdString(dir.native())));
}

int runCommand(int argc, char **argv) {
    try {
        const Options o = parse(argc, argv);
        if (o.help) {
            print(kUsageText);
            return kDone;
        }
        if (o.version) {
            print(std::string("zembra ") + ZEMBRA_VERSION + "\n");
            return kDone;
        }
        if (o.command.empty())
            throw UsageError{"no command given"};
        useSettingsFolder(o);
        if (const auto problem = platform::SettingsStore::folderProblem())
            warn(problem->toStdString() + ": settings are kept for this run only");
        platform::SettingsStore &settings = platform::SettingsStore::standard();
        applyGrants(o, settings);
        if (o.command == "apps") {
            allowOnly(o, {"--include-default-apps", "--include-utilities"});
            return commandApps(o, settings);
        }
        if (o.command == "leftovers") {
            allowOnly(o, {"--related"});
            return commandLeftovers(o, settings);
        }
        if (o.command == "remove") {
            allowOnly(o, {"--keep", "--include", "--related", "--dry-run", "--yes"});
            return commandRemove(o, settings);
        }
        if (o.command == "plugins" || o.command == "prefpanes" ||
            o.command == "safari-extensions") {
            allowOnly(o, {});
            return commandList(o, settings);
        }
        if (o.command == "remove-plugin") {
            allowOnly(o, {"--dry-run", "--yes"});
            return commandRemovePlugin(o, settings);
        }
        if (o.command == "remove-safari-extension") {
            allowOnly(o, {"--dry-run", "--yes"});
            return commandRemoveSafariExtension(o, settings);
        }
        throw UsageError{"unknown command " + o.command};
    } catch (const UsageError &e) {
        warn(e.message);
        print("Try 'zembra --help'.\n", stderr);
        return kUsage;
    }
}

} // namespace

int run(int argc, char **argv) {
    return finishOutput(runCommand(argc, argv));
}

} // namespace zembra::cli
