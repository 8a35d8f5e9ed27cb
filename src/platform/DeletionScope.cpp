#include "platform/DeletionScope.h"

#include "platform/FileSystem.h"

namespace zembra::platform {

namespace fs = std::filesystem;

namespace {

bool hasDotDot(const fs::path &p) {
    for (const auto &c : p)
        if (c == "..")
            return true;
    return false;
}

} // namespace

bool DeletionScope::add(const fs::path &where, bool isItem) {
    if (where.empty())
        return false;
    const fs::path path = absolutePath(where);
    if (isItem && (!itemExists(path) || path.filename().empty()))
        return false;
    auto handle = std::make_shared<const FolderHandle>(
        FolderHandle::openBase(isItem ? path.parent_path() : path));
    if (!handle->isValid())
        return false;
    m_roots.push_back({path, isItem, handle, handle->device()});
    return true;
}

bool DeletionScope::addFolder(const fs::path &folder) {
    return add(folder, false);
}

bool DeletionScope::addItem(const fs::path &item) {
    return add(item, true);
}

std::vector<fs::path> DeletionScope::folders() const {
    std::vector<fs::path> out;
    for (const Root &r : m_roots)
        if (!r.isItem)
            out.push_back(r.path);
    return out;
}

const DeletionScope::Root *DeletionScope::rootOf(const fs::path &given, bool orFolderItself,
                                                 fs::path &relative) const {
    if (given.empty() || !given.is_absolute() || hasDotDot(given))
        return nullptr;
    const fs::path path = given.lexically_normal();
    const Root *best = nullptr;
    for (const Root &r : m_roots) {
        if (!isWithin(path, r.path, r.isItem || orFolderItself))
            continue;
        if (!best || r.path.native().size() > best->path.native().size())
            best = &r;
    }
    if (best)
        relative = path.lexically_relative(best->isItem ? best->path.parent_path() : best->path);
    return best;
}

bool DeletionScope::allows(const fs::path &path) const {
    fs::path relative;
    return rootOf(path, false, relative) != nullptr;
}

bool DeletionScope::remove(const fs::path &path, const std::function<bool()> &stopRequested) const {
    fs::path relative;
    const Root *root = rootOf(path, false, relative);
    if (!root)
        return false;
    const std::string name = relative.filename().native();
    const FolderHandle parent = root->handle->walkDown(relative.parent_path(), root->device);
    return parent.isValid() && parent.removeEntry(name, stopRequested);
}

FolderHandle DeletionScope::folder(const fs::path &folder) const {
    fs::path relative;
    const Root *root = rootOf(folder, true, relative);
    if (!root)
        return FolderHandle();
    return root->handle->walkDown(relative == "." ? fs::path() : relative, root->device);
}

} // namespace zembra::platform
