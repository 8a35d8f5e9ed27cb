#include "cli/Cli.h"

#include "catalogue/Application.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "extensions/Bundle.h"
#include "extensions/ExtensionRemoval.h"
#include "extensions/SafariExtension.h"
#include "grants/GrantKeys.h"
#include "grants/GrantOverrides.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Removal.h"
#include "leftovers/Selection.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

namespace zembra::cli {

namespace {

namespace fs = std::filesystem;

enum Exit { kDone = 0, kRemained = 1, kUsage = 2, kRunning = 3 };

const char *kUsageText = R"(Usage: zembra COMMAND [OPTIONS]

Removes applications together with the files they left behind, and lists and
removes plug-ins, preference panes and Safari extensions.

Commands:
  apps                          list the installed applications
  leftovers APP_PATH            list what APP_PATH left behind, grouped, with sizes
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
  --settings-dir DIR            keep the settings in DIR instead of the user's
  --include-default-apps        list Apple's applications too (apps)
  --include-utilities           list the Utilities folder too (apps)
  --keep PATH                   keep this entry (remove; may be repeated)
  --dry-run                     show what would be deleted; delete nothing
  --yes                         do not ask for confirmation
  --json                        print JSON
  -h, --help                    show this help

Without --applications, --home and --root the grants stored by the application are
used. Exit status: 0 done, 1 something could not be removed, 2 usage error,
3 the application is running.
)";

void applyGrants(const Options &o, platform::SettingsStore &settings)
{
    if (const std::string error = grants::applyGrantOptions(settings, o.grants); !error.empty())
        throw UsageError{error};
}

void warn(const std::string &message) { print("zembra: " + message + "\n", stderr); }

bool hasGrant(platform::SettingsStore &settings, const QString &key)
{
    return grants::GrantStore(settings).resolve(key).folder.has_value();
}

void warnWithoutHome(platform::SettingsStore &settings)
{
    if (!hasGrant(settings, grants::kHome))
        warn("no home folder is granted: leftovers in the home Library are not searched (pass --home DIR)");
}

// The item a command names: it must exist and be a bundle of the kind the command takes,
// so that a mistyped path (a home folder, "/") can never become the item that is deleted.
fs::path existingItem(const std::string &given, const char *what, bool (*acceptsExtension)(const QString &))
{
    const fs::path path = platform::absolutePath(given);
    if (!platform::itemExists(path))
        throw UsageError{std::string("no ") + what + " at " + given};
    if (!acceptsExtension(platform::pathExtension(path)))
        throw UsageError{given + " is not " + (std::string_view(what) == "application" ? "an " : "a ") + what +
                         " bundle"};
    return path;
}

bool isApplicationOrPane(const QString &extension)
{
    return extension == QLatin1String("app") || Bundle::isPrefPaneExtension(extension);
}

// Asks on the terminal; without one, only --yes lets a removal go on.
bool confirmed(const Options &o, const std::string &question)
{
    if (o.yes)
        return true;
    if (!isatty(STDIN_FILENO))
        throw UsageError{"no terminal to confirm the removal: pass --yes to remove without asking"};
    print(question + " [y/N] ", stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

int reportRemainder(const Options &o, const std::vector<FileEntry> &remainder, std::uint64_t freed, bool withSize)
{
    if (o.json) {
        std::string out = "{\"remainder_urls\": " + jsonEntries(remainder, {}, false);
        if (withSize)
            out += ", \"freed\": " + std::to_string(freed);
        print(out + "}\n");
    } else {
        if (withSize)
            print("Freed " + platform::formatByteCount(freed).toStdString() + ".\n");
        if (!remainder.empty()) {
            print("Could not remove:\n");
            for (const FileEntry &e : remainder)
                if (e.isFileURL())
                    print("  " + platform::displayPath(e.path()).toStdString() + "\n");
        } else {
            print("Removed.\n");
        }
    }
    return remainder.empty() ? kDone : kRemained;
}

int commandApps(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 0, "");
    if (o.includeDefaultApps)
        settings.setOverride(preferences::kIncludeDefaultApps, 1);
    if (o.includeUtilities)
        settings.setOverride(preferences::kIncludeUtilities, 1);
    if (!hasGrant(settings, grants::kApplications))
        throw UsageError{"no Applications folder is granted: pass --applications DIR"};
    Application enumerator(settings);
    const ApplicationList apps = enumerator.installedApplications();
    print(o.json ? jsonItems(apps) : itemTable(asRecords(apps), QStringLiteral("No applications found.")));
    return kDone;
}

std::shared_ptr<ApplicationItem> searchedApplication(const Options &o, platform::SettingsStore &settings)
{
    const fs::path path = existingItem(o.positional.at(0), "application", isApplicationOrPane);
    // A preference pane goes through the same review, labelled as the pane list shows it.
    auto item = Bundle::isPrefPaneExtension(platform::pathExtension(path)) ? Bundle(settings).prefPane(path)
                                                                            : Application(settings).application(path);
    warnWithoutHome(settings);
    leftovers::getfiles(*item, settings, nullptr);
    return item;
}

int commandLeftovers(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 1, "one APP_PATH");
    const auto item = searchedApplication(o, settings);
    const auto files = item->files();
    const auto sizes = item->sizes();
    print(o.json ? jsonLeftovers(*item, files, sizes, true) : leftoverText(*item, files, sizes, true));
    return kDone;
}

// The rows that stay selected, with their sizes, for showing them.
std::pair<std::vector<FileEntry>, std::vector<SizeEntry>> selectedRows(const leftovers::Selection &selection)
{
    std::pair<std::vector<FileEntry>, std::vector<SizeEntry>> out;
    for (size_t i = 0; i < selection.prepare().size(); ++i) {
        const FileEntry &e = selection.prepare()[i];
        if (!e.isFileURL() && e.absoluteString() == leftovers::kEmpty)
            continue;
        out.first.push_back(e);
        out.second.push_back(selection.clean_size()[i]);
    }
    return out;
}

int refuseRunning(const ItemRecord &item)
{
    warn(item.label().value_or(QString()).toStdString() + " is running: quit it before removing it");
    return kRunning;
}

int commandRemove(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 1, "one APP_PATH");
    const auto item = searchedApplication(o, settings);
    leftovers::Selection selection(item->files(), item->sizes());
    for (const std::string &keep : o.keep)
        if (selection.deselect(platform::absolutePath(keep)) == 0)
            throw UsageError{"--keep " + keep + ": not in the list of entries to remove"};

    const auto [files, sizes] = selectedRows(selection);
    if (o.dryRun) {
        print(o.json ? jsonLeftovers(*item, files, sizes, true) : leftoverText(*item, files, sizes, true));
        return kDone;
    }
    if (!selection.anySelected()) {
        print("Nothing selected to remove.\n");
        return kDone;
    }
    // Checked before asking, and again by the removal itself.
    if (leftovers::isRunning(*item, platform::runningApplications()))
        return refuseRunning(*item);
    if (!o.json)
        print(leftoverText(*item, files, sizes, true));
    if (!confirmed(o, "Remove these entries (" +
                          platform::formatByteCount(selection.common_remove_size()).toStdString() + ")?")) {
        print("Nothing removed.\n");
        return kDone;
    }
    // Naming the bundle on the command line grants it, as dropping it on the window does.
    platform::FolderAccess::grantItem(*item->url());
    // A command line reports in text; it does not chime (and would exit mid-sound).
    leftovers::RemovalServices services;
    services.playCompletionSound = nullptr;
    const leftovers::RemovalOutcome outcome = leftovers::removeSelection(
        *item, selection.prepare(), selection.clean_size(), selection.common_remove_size(), services);
    if (outcome.refusedRunning)
        return refuseRunning(*item);
    return reportRemainder(o, outcome.remainder_urls, outcome.common_remove_size, true);
}

int commandList(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 0, "");
    if (!hasGrant(settings, grants::kHome))
        warn("no home folder is granted: the home Library is not listed (pass --home DIR)");
    std::string out;
    if (o.command == "plugins") {
        const auto items = Bundle(settings).installedPlugins();
        out = o.json ? jsonItems(items) : itemTable(asRecords(items), QStringLiteral("No plug-ins found."));
    } else if (o.command == "prefpanes") {
        const auto items = Bundle(settings).installedPrefPanes();
        out = o.json ? jsonItems(items) : itemTable(asRecords(items), QStringLiteral("No preference panes found."));
    } else {
        const auto items = SafariExtension(settings).installedSafariExtensions();
        out = o.json ? jsonItems(items)
                     : itemTable(asRecords(items), QStringLiteral("No Safari extensions found."));
    }
    print(out);
    return kDone;
}

// Shows what a removal without review found; true when the user goes on to delete it.
bool previewAndConfirm(const Options &o, const ItemRecord &item)
{
    const auto files = item.files();
    if (o.dryRun || !o.json)
        print(o.json ? jsonLeftovers(item, files, {}, false) : leftoverText(item, files, {}, false));
    if (o.dryRun)
        return false;
    if (!confirmed(o, "Remove these entries?")) {
        print("Nothing removed.\n");
        return false;
    }
    return true;
}

int commandRemovePlugin(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 1, "one PATH");
    const fs::path path = existingItem(o.positional[0], "plug-in", Bundle::isPluginExtension);
    warnWithoutHome(settings);
    const auto item = Bundle(settings).plugin(path);
    findFilesWithoutReview(*item, settings);
    if (!previewAndConfirm(o, *item))
        return kDone;
    // Naming the plug-in grants it, as for an application; what is deleted is what was shown.
    platform::FolderAccess::grantItem(path);
    SharedState state;
    removeFoundFiles(*item, state);
    return reportRemainder(o, state.remainder_urls(), 0, false);
}

int commandRemoveSafariExtension(const Options &o, platform::SettingsStore &settings)
{
    requireArguments(o, 1, "one BUNDLE_ID");
    const QString id = QString::fromStdString(o.positional[0]);
    std::shared_ptr<SafariItem> item;
    for (const auto &candidate : SafariExtension(settings).extensionsInListOrder())
        if (candidate->bundle() == id) {
            item = candidate;
            break;
        }
    if (!item) {
        warn("no Safari extension with the identifier " + o.positional[0]);
        return kRemained;
    }
    const auto home = findFilesWithoutReview(*item, settings);
    if (!previewAndConfirm(o, *item))
        return kDone;
    SharedState state;
    removeFoundFiles(*item, state);
    dropFromSafariList(*item, home);
    return reportRemainder(o, state.remainder_urls(), 0, false);
}

} // namespace

int run(int argc, char **argv)
{
    try {
        const Options o = parse(argc, argv);
        if (o.help) {
            print(kUsageText);
            return kDone;
        }
        if (o.command.empty())
            throw UsageError{"no command given"};
        if (!o.settingsDir.empty())
            platform::SettingsStore::setFolder(QFile::decodeName(QByteArray::fromStdString(o.settingsDir)));
        platform::SettingsStore &settings = platform::SettingsStore::standard();
        applyGrants(o, settings);
        if (o.command == "apps") {
            allowOnly(o, {"--include-default-apps", "--include-utilities"});
            return commandApps(o, settings);
        }
        if (o.command == "leftovers") {
            allowOnly(o, {});
            return commandLeftovers(o, settings);
        }
        if (o.command == "remove") {
            allowOnly(o, {"--keep", "--dry-run", "--yes"});
            return commandRemove(o, settings);
        }
        if (o.command == "plugins" || o.command == "prefpanes" || o.command == "safari-extensions") {
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

} // namespace zembra::cli
