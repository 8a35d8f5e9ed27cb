#include "extensions/SafariExtensionsList.h"

#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/PropertyList.h"
#include "platform/PropertyListScan.h"
#include "platform/PropertyListXml.h"

namespace zembra::safari {

namespace {
constexpr const char *kListName = "Extensions.plist";
} // namespace

fs::path extensionsFolder(const fs::path &home) {
    return home / "Library" / "Safari/Extensions/";
}

fs::path extensionsList(const fs::path &home) {
    return home / "Library" / "Safari/Extensions/Extensions.plist";
}

bool isUsableArchiveName(const QString &name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

std::vector<ListEntry> readInstalledExtensions(const fs::path &listFile) {
    std::vector<ListEntry> out;
    const platform::PropertyList list = platform::PropertyList::fromFile(listFile);
    const platform::PlistNode installed = list.root().item(kInstalledExtensions);
    for (std::uint32_t i = 0; i < installed.count(); ++i) {
        const platform::PlistNode entry = installed.at(i);
        if (!entry.isDictionary())
            continue;
        const std::optional<QString> archive = entry.item(kArchiveFileName).string();
        if (!archive || !isUsableArchiveName(*archive))
            continue;
        out.push_back({*archive, entry.item(kBundleIdentifier).string()});
    }
    return out;
}

ListRewrite rewriteWithout(const QByteArray &original, const std::optional<QString> &identifier) {
    ListRewrite plan;
    plan.original = original;
    platform::PropertyList list = platform::PropertyList::fromMemory(original);
    const platform::PlistNode installed = list.root().item(kInstalledExtensions);
    if (!list.root().isDictionary() || !installed.isArray()) {
        plan.verdict = RewriteResult::LeftUnreadable;
        return plan;
    }
    std::vector<platform::PlistNode> kept;
    std::vector<std::uint32_t> dropped;
    for (std::uint32_t i = 0; i < installed.count(); ++i) {
        const platform::PlistNode entry = installed.at(i);
        const std::optional<QString> id = entry.item(kBundleIdentifier).string();
        if (identifier && id && *id == *identifier)
            dropped.push_back(i);
        else
            kept.push_back(entry);
    }
    if (dropped.empty()) {
        plan.verdict = RewriteResult::NothingToRemove;
        return plan;
    }
    list.setArray(kInstalledExtensions, kept);
    // A binary list is written anew; an XML list loses just the entries' elements, so that
    // values libplist's writer would change (old dates, -0.0, control characters) stay.
    std::optional<QByteArray> bytes;
    if (list.format() == platform::PropertyList::Format::Binary)
        bytes = list.serialize();
    else
        bytes = platform::withoutArrayItems(
            std::string_view(original.constData(), size_t(original.size())), kInstalledExtensions,
            dropped);
    const platform::PropertyList again = bytes && !bytes->isEmpty()
                                             ? platform::PropertyList::fromMemory(*bytes)
                                             : platform::PropertyList();
    if (!again.isValid() || again.format() != list.format() || !again.sameContent(list)) {
        plan.verdict = RewriteResult::WouldNotReadBack;
        return plan;
    }
    plan.verdict = RewriteResult::Rewritten;
    plan.bytes = *bytes;
    return plan;
}

ListRewrite planRemoval(const fs::path &home, const std::optional<QString> &identifier) {
    const platform::FolderHandle folder =
        platform::FolderHandle::open(home, "Library/Safari/Extensions");
    if (!folder.isValid())
        return {RewriteResult::NotPlainFolder, {}, {}};
    const std::optional<QByteArray> bytes =
        folder.readFile(kListName, platform::kMaxPropertyListBytes);
    if (!bytes)
        return {RewriteResult::LeftUnreadable, {}, {}};
    return rewriteWithout(*bytes, identifier);
}

RewriteResult applyRewrite(const platform::DeletionScope &scope, const fs::path &home,
                           const std::optional<QString> &identifier, const ListRewrite &plan) {
    if (plan.verdict != RewriteResult::Rewritten)
        return plan.verdict;
    if (!scope.allows(platform::absolutePath(home) / "Library"))
        return RewriteResult::NotGranted;
    const platform::FolderHandle folder =
        scope.folder(platform::absolutePath(home) / "Library/Safari/Extensions");
    if (!folder.isValid())
        return RewriteResult::NotPlainFolder;
    const std::optional<QByteArray> current =
        folder.readFile(kListName, platform::kMaxPropertyListBytes);
    if (!current)
        return RewriteResult::LeftUnreadable;
    // Safari may have written the list since the plan was made: decide on what is there.
    const ListRewrite now = *current == plan.original ? plan : rewriteWithout(*current, identifier);
    if (now.verdict != RewriteResult::Rewritten)
        return now.verdict;
    // What the disk gives back must be the planned list again, entry for entry.
    const auto readsBackAsPlanned = [&](const QByteArray &written) {
        const ListRewrite again = rewriteWithout(written, identifier);
        const platform::PropertyList expected = platform::PropertyList::fromMemory(now.bytes);
        const platform::PropertyList read = platform::PropertyList::fromMemory(written);
        return again.verdict == RewriteResult::NothingToRemove && read.isValid() &&
               read.format() == expected.format() && read.sameContent(expected);
    };
    return folder.replaceFile(kListName, now.bytes, readsBackAsPlanned)
               ? RewriteResult::Rewritten
               : RewriteResult::WriteFailed;
}

RewriteResult removeFromList(const platform::DeletionScope &scope, const fs::path &home,
                             const std::optional<QString> &identifier) {
    return applyRewrite(scope, home, identifier, planRemoval(home, identifier));
}

std::string whyNotRewritable(RewriteResult r) {
    switch (r) {
    case RewriteResult::NotPlainFolder:
        return "Library/Safari/Extensions is not a plain folder of the home folder";
    case RewriteResult::LeftUnreadable:
        return "the list is missing, not a regular file (a link, say) or not a property list";
    case RewriteResult::WouldNotReadBack:
        return "the list without the entry would not read back the same";
    case RewriteResult::WriteFailed:
        return "the new list could not be written";
    case RewriteResult::NotGranted:
        return "the home folder is not granted for changes";
    case RewriteResult::Rewritten:
    case RewriteResult::NothingToRemove:
        break;
    }
    return {};
}

} // namespace zembra::safari
