#include "platform/FolderAccess.h"

#include "platform/FileSystem.h"

namespace zembra::platform {

QByteArray bookmarkData(const fs::path &folder) {
    const std::string bytes = absolutePath(folder).native();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

ResolvedBookmark resolveBookmarkData(const QByteArray &data) {
    ResolvedBookmark r;
    if (!data.isEmpty())
        r.folder = fs::path(std::string(data.constData(), size_t(data.size())));
    return r;
}

} // namespace zembra::platform
