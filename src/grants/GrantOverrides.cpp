#include "grants/GrantOverrides.h"

#include "grants/GrantKeys.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"

namespace zembra::grants {

std::string applyGrantOptions(platform::SettingsStore &settings, const std::map<std::string, std::string> &folders)
{
    static const std::map<std::string, QString> kKeys = {
        {"--applications", kApplications}, {"--home", kHome}, {"--root", kMacOS}};
    for (const auto &[option, folder] : folders) {
        const auto key = kKeys.find(option);
        if (key == kKeys.end())
            return "unknown folder option " + option;
        const std::filesystem::path dir = platform::absolutePath(folder);
        if (!platform::isRealDirectory(dir))
            return option + ": no folder at " + folder;
        settings.setOverride(key->second, platform::bookmarkData(dir));
        if (option == "--root")
            settings.setOverride(kAllowAny, 1);
    }
    return {};
}

} // namespace zembra::grants
