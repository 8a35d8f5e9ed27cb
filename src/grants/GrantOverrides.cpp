#include "grants/GrantOverrides.h"

#include "grants/GrantKeys.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"

namespace zembra::grants {

namespace {

const std::map<std::string, QString> &keys() {
    static const std::map<std::string, QString> k = {
        {"--applications", kApplications}, {"--home", kHome}, {"--root", kMacOS}};
    return k;
}

} // namespace

bool isGrantOption(const std::string &option) {
    return keys().count(option) != 0;
}

std::optional<std::string> applyGrantOverrides(const std::map<std::string, std::string> &grants,
                                               platform::SettingsStore &settings) {
    for (const auto &[option, folder] : grants) {
        const auto key = keys().find(option);
        if (key == keys().end())
            return option + ": not a grant option";
        const platform::fs::path dir = platform::absolutePath(folder);
        if (!platform::isRealDirectory(dir))
            return option + ": no folder at " + folder;
        settings.setOverride(key->second, platform::bookmarkData(dir));
        if (option == "--root")
            settings.setOverride(kAllowAny, 1);
    }
    return std::nullopt;
}

} // namespace zembra::grants
