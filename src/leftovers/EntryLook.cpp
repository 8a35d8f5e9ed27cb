#include "leftovers/EntryLook.h"

#include "platform/FileSystem.h"

#include <string_view>

namespace zembra::leftovers {

EntryLook entryLook(const std::filesystem::path &path, bool isFolder) {
    // The words are ASCII, so testing the path's bytes is the same as testing its text
    // and also holds for names that are not UTF-8.
    const std::string_view bytes = path.native();
    const auto contains = [bytes](std::string_view word) {
        return bytes.find(word) != std::string_view::npos;
    };

    EntryLook look{isFolder ? EntryIcon::Folder : EntryIcon::Document,
                   platform::lastComponent(path)};
    const QString extension = platform::pathExtension(path);
    if (extension == QLatin1String("app") || extension == QLatin1String("prefPane"))
        look.icon = EntryIcon::ItemBundle;
    if (contains("Preferences"))
        look.icon = EntryIcon::Preferences;
    if (contains("Cookies")) {
        look.icon = EntryIcon::WebLocation;
        look.name = QStringLiteral("Cookie files");
    }
    if (contains("CrashReporter") || contains("DiagnosticReports"))
        look.icon = EntryIcon::CrashReport;
    if (contains("LaunchAgents") || contains("LaunchDaemons"))
        look.icon = EntryIcon::LaunchAgent;
    if (contains("Address Book Plug-Ins"))
        look.icon = EntryIcon::BundleType;
    if (contains("com.apple.helpd")) {
        look.icon = EntryIcon::Help;
        look.name = QStringLiteral("Help files");
    }
    if (contains("Services"))
        look.icon = EntryIcon::Workflow;
    if (contains("Desktop"))
        look.icon = EntryIcon::OwnIcon;
    return look;
}

} // namespace zembra::leftovers
