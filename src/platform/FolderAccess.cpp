#include "platform/FolderAccess.h"

#include "platform/FileSystem.h"

#include <mutex>
#include <vector>

namespace zembra::platform {

namespace {

struct Grant {
    fs::path root;
    bool includesSelf;
};

std::mutex &grantsMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Grant> &grants()
{
    static std::vector<Grant> g;
    return g;
}

bool hasDotDot(const fs::path &p)
{
    for (const auto &c : p)
        if (c == "..")
            return true;
    return false;
}

void addGrant(const fs::path &where, bool includesSelf)
{
    if (where.empty())
        return;
    const fs::path root = absolutePath(where);
    std::lock_guard lock(grantsMutex());
    // Every resolution starts access again; keep each grant once.
    for (const Grant &g : grants())
        if (g.root == root && g.includesSelf == includesSelf)
            return;
    grants().push_back({root, includesSelf});
}

} // namespace

QByteArray bookmarkData(const fs::path &folder)
{
    const std::string bytes = absolutePath(folder).native();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

ResolvedBookmark resolveBookmarkData(const QByteArray &data)
{
    ResolvedBookmark r;
    if (!data.isEmpty())
        r.folder = fs::path(std::string(data.constData(), size_t(data.size())));
    return r;
}

void FolderAccess::startAccessing(const fs::path &folder) { addGrant(folder, false); }

void FolderAccess::grantItem(const fs::path &item) { addGrant(item, true); }

std::vector<fs::path> FolderAccess::grantedFolders()
{
    std::vector<fs::path> out;
    std::lock_guard lock(grantsMutex());
    for (const Grant &g : grants())
        if (!g.includesSelf)
            out.push_back(g.root);
    return out;
}

bool FolderAccess::mayDelete(const fs::path &path) { return deletionBase(path).has_value(); }

std::optional<fs::path> FolderAccess::deletionBase(const fs::path &path)
{
    if (path.empty() || !path.is_absolute() || hasDotDot(path))
        return std::nullopt;
    const fs::path p = path.lexically_normal();
    std::lock_guard lock(grantsMutex());
    for (const Grant &g : grants()) {
        if (isWithin(p, g.root))
            return g.root;
        if (g.includesSelf && isWithin(p, g.root, true))
            return g.root.parent_path();
    }
    return std::nullopt;
}

void FolderAccess::reset()
{
    std::lock_guard lock(grantsMutex());
    grants().clear();
}

} // namespace zembra::platform
