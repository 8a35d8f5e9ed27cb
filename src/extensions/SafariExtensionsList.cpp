#include "extensions/SafariExtensionsList.h"

#include "platform/PropertyList.h"

namespace zembra::safari {

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

RewriteResult removeFromList(const fs::path &listFile, const std::optional<QString> &identifier)
{
    platform::PropertyList list = platform::PropertyList::fromFile(listFile);
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
    list.setArray(kInstalledExtensions, kept);
    const QByteArray xml = list.toXml();
    if (xml.isEmpty() || !platform::writeFileAtomically(listFile, xml))
        return RewriteResult::WriteFailed;
    return RewriteResult::Rewritten;
}

} // namespace zembra::safari
