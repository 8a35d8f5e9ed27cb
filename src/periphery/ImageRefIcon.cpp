#include "periphery/ImageRefIcon.h"

#include "platform/FileSystem.h"
#include "platform/Workspace.h"

namespace zembra {

QIcon iconOf(const std::optional<ImageRef> &ref) {
    if (!ref)
        return {};
    if (ref->kind == ImageRef::Kind::WorkspaceIcon)
        return platform::Workspace::shared().iconForFile(ref->path);
    return QIcon(platform::displayPath(ref->path));
}

} // namespace zembra
