#include "cli/ExtensionCommands.h"

#include "cli/CommandSupport.h"
#include "cli/Output.h"
#include "extensions/Bundle.h"
#include "extensions/ExtensionRemoval.h"
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/Text.h"

#include <algorithm>

namespace zembra::cli {

namespace {

namespace fs = std::filesystem;

// Every row found, those a removal keeps marked with the reason.
std::string listing(const Options &o, const ItemRecord &item, const std::vector<QString> &kept) {
    const auto files = item.files();
    std::vector<RowNote> notes(files.size());
    for (size_t i = 0; i < notes.size() && i < kept.size(); ++i)
        notes[i].kept = kept[i];
    return o.json ? jsonLeftovers(item, files, {}, false, notes)
                  : leftoverText(item, files, {}, false, notes);
}

// Shows what a removal without review found; true when the user goes on to delete it.
bool previewAndConfirm(const Options &o, const ItemRecord &item, const std::vector<QString> &kept) {
    if (o.dryRun || !o.json)
        print(listing(o, item, kept));
    if (o.dryRun)
        return false;
    if (!confirmed(o, "Remove these entries?")) {
        print("Nothing removed.\n");
        return false;
    }
    if (stdoutError()) {
        refuseIncomplete("the list of entries to remove could not be written");
        return false;
    }
    noteRemovalStarts();
    return true;
}

// A removal without review on an incomplete search: shown with --dry-run, never run.
int refuseWhenIncomplete(const Options &o, const ItemRecord &item,
                         const leftovers::SearchResult &found, const std::vector<QString> &kept) {
    if (!reportUnreadable(found))
        return kDone;
    if (o.dryRun)
        print(listing(o, item, kept));
    return o.dryRun ? kRemained
                    : refuseIncomplete("the search could not read every granted folder");
}

} // namespace

int commandList(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 0, "");
    if (!hasGrant(settings, grants::kHome))
        warn("no home folder is granted: the home Library is not listed (pass --home DIR)");
    std::string out;
    if (o.command == "plugins") {
        const auto items = Bundle(settings).installedPlugins();
        out = o.json ? jsonItems(items)
                     : itemTable(asRecords(items), QStringLiteral("No plug-ins found."));
    } else if (o.command == "prefpanes") {
        const auto items = Bundle(settings).installedPrefPanes();
        out = o.json ? jsonItems(items)
                     : itemTable(asRecords(items), QStringLiteral("No preference panes found."));
    } else {
        const auto items = SafariExtension(settings).installedSafariExtensions();
        out = o.json ? jsonItems(items)
                     : itemTable(asRecords(items), QStringLiteral("No Safari extensions found."));
    }
    print(out);
    return kDone;
}

int commandRemovePlugin(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 1, "one PATH");
    const fs::path path = existingItem(o.positional[0], "plug-in", Bundle::isPluginExtension);
    warnWithoutHome(settings);
    const auto item = Bundle(settings).plugin(path);
    const auto found = findFilesWithoutReview(*item, settings);
    const std::vector<QString> kept = keptWithoutReview(*item, settings);
    if (const int refused = refuseWhenIncomplete(o, *item, found, kept))
        return refused;
    if (!previewAndConfirm(o, *item, kept))
        return stdoutError() ? kRemained : kDone;
    // Naming the plug-in grants it, as for an application; what is deleted is what was shown.
    platform::DeletionScope scope = grants::GrantStore(settings).deletionScope();
    scope.addItem(path);
    return reportRemainder(o, removeFoundFiles(scope, *item, kept), 0, false);
}

int commandRemoveSafariExtension(const Options &o, platform::SettingsStore &settings) {
    requireArguments(o, 1, "one BUNDLE_ID");
    const QString id = platform::decodeUtf8(o.positional[0]);
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
    const auto found = findFilesWithoutReview(*item, settings);
    const std::vector<QString> kept = keptWithoutReview(*item, settings);
    if (const int refused = refuseWhenIncomplete(o, *item, found, kept))
        return refused;
    // The archive goes only with its entry in Safari's list: decided before anything is shown.
    const safari::RewriteResult verdict = found.home.folder
                                              ? safari::planRemoval(*found.home.folder, id).verdict
                                              : safari::RewriteResult::NotPlainFolder;
    if (!safari::isGone(verdict)) {
        if (o.dryRun)
            print(listing(o, *item, kept));
        warn("Safari's extensions list cannot be rewritten without this extension (" +
             safari::whyNotRewritable(verdict) + "): nothing " + (o.dryRun ? "would be" : "was") +
             " removed");
        return kRemained;
    }
    if (!previewAndConfirm(o, *item, kept))
        return stdoutError() ? kRemained : kDone;
    const SafariRemoval result = removeSafariFiles(grants::GrantStore(settings).deletionScope(),
                                                   *item, kept, found.home.folder);
    if (!safari::isGone(result.verdict))
        warn("Safari's extensions list was left untouched: " +
             safari::whyNotRewritable(result.verdict));
    const int removal = reportRemainder(o, result.remained, 0, false);
    return std::max(removal, safari::isGone(result.verdict) ? int(kDone) : int(kRemained));
}
} // namespace zembra::cli
