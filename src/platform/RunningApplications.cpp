#include "platform/RunningApplications.h"

#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"

namespace zembra::platform {

std::optional<std::filesystem::path>
enclosingApplicationBundle(const std::filesystem::path &executable) {
    for (std::filesystem::path p = executable.parent_path(); p.has_relative_path();
         p = p.parent_path()) {
        if (pathExtension(p) == QLatin1String("app") && BundleInfo::read(p))
            return p;
    }
    return std::nullopt;
}

} // namespace zembra::platform
