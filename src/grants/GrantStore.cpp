#include "grants/GrantStore.h"

#include "grants/GrantKeys.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "platform/RunningApplications.h"

namespace zembra::grants {

void GrantStore::createGrant(const QString &key, const std::filesystem::path &folder) {
    m_settings.setData(key, platform::bookmarkData(folder));
    if (key == kMacOS)
        m_settings.setInteger(kAllowAny, 1);
}

Resolution GrantStore::resolve(const QString &key) const {
    const platform::ResolvedBookmark r = platform::resolveBookmarkData(m_settings.dataForKey(key));
    return {r.folder, r.stale};
}

bool GrantStore::isValid(const QString &key) const {
    const Resolution r = resolve(key);
    if (!r.folder || r.stale)
        return false;
    const QString last = platform::lastComponent(platform::absolutePath(*r.folder));
    if (key == kApplications)
        return last == QLatin1String("Applications");
    if (key == kHome)
        return last == platform::userName();
    // A root named on the command line (--root) is the disk's root for this run, by the
    // user's own word: a test tree or a mounted system's copy.
    if (key == kMacOS)
        return last == QLatin1String("/") || m_settings.isOverridden(kMacOS);
    return false;
}

bool GrantStore::systemFoldersAllowed(const Resolution &macOS) const {
    return m_settings.integerForKey(kAllowAny) == 1 && !macOS.stale;
}

} // namespace zembra::grants

namespace zembra::grants {

platform::DeletionScope GrantStore::deletionScope() const {
    platform::DeletionScope scope;
    for (const QString &key : {kApplications, kHome}) {
        const Resolution r = resolve(key);
        if (r.folder && !r.stale)
            scope.addFolder(*r.folder);
    }
    const Resolution disk = resolve(kMacOS);
    if (isValid(kMacOS) && systemFoldersAllowed(disk))
        scope.addFolder(*disk.folder);
    return scope;
}

GrantStore::ListingRoots GrantStore::listingRoots() const {
    ListingRoots roots;
    roots.home = resolve(kHome).folder;
    const Resolution macOS = resolve(kMacOS);
    if (macOS.folder && systemFoldersAllowed(macOS))
        roots.system = macOS.folder;
    return roots;
}

} // namespace zembra::grants
