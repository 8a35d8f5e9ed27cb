#include "platform/BundleInfo.h"

#include "platform/FileSystem.h"
#include "platform/PropertyList.h"

#include <array>

namespace zembra::platform {

std::optional<BundleInfo> BundleInfo::read(const std::filesystem::path &bundle) {
    if (!isRealDirectory(bundle))
        return std::nullopt;
    const PropertyList plist = PropertyList::fromFile(bundle / "Contents" / "Info.plist");
    const PlistNode root = plist.root();
    if (!root.isDictionary())
        return std::nullopt;
    BundleInfo info;
    info.m_bundle = bundle;
    info.m_identifier = root.item("CFBundleIdentifier").string();
    info.m_name = root.item("CFBundleName").string();
    info.m_executable = root.item("CFBundleExecutable").string();
    info.m_iconFile = root.item("CFBundleIconFile").string();
    return info;
}

std::optional<std::filesystem::path> BundleInfo::imageResource(const QString &resource) const {
    if (resource.isEmpty() || resource.contains(QLatin1Char('/')) ||
        resource == QLatin1String("..") || resource == QLatin1String("."))
        return std::nullopt;
    const std::filesystem::path resources = m_bundle / "Contents" / "Resources";
    const std::string name = resource.toStdString();
    if (isRegularFile(resources / name))
        return resources / name;
    static constexpr std::array<const char *, 9> kImageTypes = {"icns", "png", "tiff", "tif", "jpg",
                                                                "jpeg", "gif", "bmp",  "pdf"};
    for (const char *type : kImageTypes) {
        const std::filesystem::path candidate = resources / (name + "." + type);
        if (isRegularFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace zembra::platform
