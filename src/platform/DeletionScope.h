#pragma once
// The right to delete, as a value: the folders granted for deletion, each held open by
// handle, and the items granted by themselves (a dropped bundle, a plug-in named on the
// command line). Every deletion and every rewrite of a file goes through a scope; no
// process-wide state widens it, and reading a grant never does.
//
// A path is allowed strictly below a granted folder (never the folder itself) or on a
// granted item and below it. It is reached from the root's handle one component at a
// time, never through a link, never through "..", and never onto another mounted file
// system. Copies share the handles; a scope may be used from any thread.

#include "platform/FolderHandle.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zembra::platform {

class DeletionScope {
public:
    // A scope that allows nothing.
    DeletionScope() = default;

    // Deletion strictly below `folder`. The path to it may pass through links: it is the
    // folder the user granted. False, and nothing added, when no folder is there.
    bool addFolder(const std::filesystem::path &folder);
    // Deletion on `item` itself and below it. False when nothing is there.
    bool addItem(const std::filesystem::path &item);

    // The granted folders (not the items), absolute, in the order added.
    std::vector<std::filesystem::path> folders() const;
    // The path is absolute, free of "..", and below a granted folder or on a granted item.
    bool allows(const std::filesystem::path &path) const;

    // Deletes a file, a link (never its target) or a folder with everything in it, see
    // FolderHandle::removeEntry. False, nothing touched, when the scope does not allow
    // the path or the way down leaves it; false when anything stayed.
    bool remove(const std::filesystem::path &path,
                const std::function<bool()> &stopRequested = {}) const;

    // The folder `folder`, reached from the root that holds it by walking down; invalid
    // when the scope does not reach it. A granted folder itself is reachable (to change
    // a file in it), though never deletable.
    FolderHandle folder(const std::filesystem::path &folder) const;

private:
    struct Root {
        std::filesystem::path path; // absolute; for an item, the item itself
        bool isItem = false;
        std::shared_ptr<const FolderHandle> handle; // the folder, or an item's parent
        std::uint64_t device = 0;
    };
    // The deepest root that allows `path`, and the components below its handle.
    const Root *rootOf(const std::filesystem::path &path, bool orFolderItself,
                       std::filesystem::path &relative) const;
    bool add(const std::filesystem::path &where, bool isItem);

    std::vector<Root> m_roots;
};

} // namespace zembra::platform
