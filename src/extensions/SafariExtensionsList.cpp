#include "extensions/SafariExtensionsList.h"

#include "platform/FolderHandle.h"
#include "platform/PropertyList.h"
#include "platform/PropertyListScan.h"

namespace zembra::safari {

namespace {
constexpr const char *kListName = "Extensions.plist";
} // namespace

fs::path extensionsFolder(const fs::path &home) { return home / "Library" / "Safari/Extensions/"; }

fs::path extensionsList(const fs::path &home) { return home / "Library" / "Safari/Extensions/Extensions.plist"; }

bool isUsableArchiveName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

std::vector<ListEntry> readInstalledExtensions(const fs::path &listFile)
{
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

RewriteResult removeFromList(const fs::path &home, const std::optional<QString> &identifier)
{
    const platform::FolderHandle folder = platform::FolderHandle::open(home, "Library/Safari/Extensions");
    if (!folder.isValid())
        return RewriteResult::NotPlainFolder;
    const std::optional<QByteArray> bytes = folder.readFile(kListName, platform::kMaxPropertyListBytes);
    platform::PropertyList list = platform::PropertyList::fromMemory(bytes.value_or(QByteArray()));
    const platform::PlistNode installed = list.root().item(kInstalledExtensions);
    if (!list.root().isDictionary() || !installed.isArray())
        return RewriteResult::LeftUnreadable;
    std::vector<platform::PlistNode> kept;
    for (std::uint32_t i = 0; i < installed.count(); ++i) {
        const platform::PlistNode entry = installed.at(i);
        const std::optional<QString> id = entry.item(kBundleIdentifier).string();
        if (identifier && id && *id == *identifier)
            continue;
        kept.push_back(entry);
    }
    if (kept.size() == installed.count())
        return RewriteResult::NothingToRemove;
    list.setArray(kInstalledExtensions, kept);
    const QByteArray out = list.serialize();
    if (out.isEmpty())
        return RewriteResult::WouldNotReadBack;
    bool readBack = true;
    const bool replaced = folder.replaceFile(kListName, out, [&](const QByteArray &written) {
        const platform::PropertyList again = platform::PropertyList::fromMemory(written);
        readBack = again.isValid() && again.format() == list.format() && again.sameContent(list);
        return readBack;
    });
    if (replaced)
        return RewriteResult::Rewritten;
    return readBack ? RewriteResult::WriteFailed : RewriteResult::WouldNotReadBack;
}

} // namespace zembra::safari
