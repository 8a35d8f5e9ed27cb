#include "leftovers/StandardFolders.h"

#include <array>

namespace zembra::leftovers {

namespace {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool isStandardLibraryFolder(std::string_view name)
{
    static constexpr std::array<std::string_view, 28> kStandard = {
        "Application Support", "Caches",          "Containers",   "Group Containers",
        "Preferences",         "Logs",            "LaunchAgents", "LaunchDaemons",
        "Cookies",             "Saved Application State", "Application Scripts", "HTTPStorages",
        "WebKit",              "Internet Plug-Ins", "PreferencePanes", "Services",
        "Safari",              "Mail",            "Keychains",    "Fonts",
        "Address Book Plug-Ins", "Spotlight",     "QuickLook",    "Extensions",
        "Frameworks",          "Printers",        "Sounds",       "Screen Savers"};
    for (std::string_view s : kStandard)
        if (equalsIgnoringAsciiCase(s, name))
            return true;
    return false;
}

} // namespace zembra::leftovers
