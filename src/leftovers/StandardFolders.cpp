#include "leftovers/StandardFolders.h"

#include "platform/FileSystem.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace zembra::leftovers {

namespace fs = std::filesystem;

namespace {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Folders macOS keeps inside a standard folder for every application at once.
bool isSharedFolder(std::string_view standard, std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kShared = {{
        {"Preferences", "ByHost"},
        {"Logs", "DiagnosticReports"},
        {"Logs", "CrashReporter"},
        {"Application Support", "CrashReporter"},
        {"Application Support", "com.apple.sharedfilelist"},
        {"Application Support", "AddressBook"},
        {"Application Support", "CloudDocs"},
        {"Application Support", "FileProvider"},
        {"Application Support", "Knowledge"},
        {"Application Support", "MobileSync"},
        {"Caches", "CloudKit"},
        {"Caches", "com.apple.helpd"},
    }};
    for (const auto &[folder, shared] : kShared)
        if (equalsIgnoringAsciiCase(folder, standard) && equalsIgnoringAsciiCase(shared, name))
            return true;
    return false;
}

// The components of `path` below `root`, or nothing when `path` does not lie there.
std::optional<std::vector<std::string>> below(const fs::path &path, const fs::path &root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p)
        if (r->empty())
            --p; // a trailing separator of the root
        else if (p == path.end() || *p != *r)
            return std::nullopt;
    std::vector<std::string> rest;
    for (; p != path.end(); ++p)
        if (!p->empty())
            rest.push_back(p->native());
    return rest;
}

bool isProtectedBelowRoot(const std::vector<std::string> &rest) {
    if (rest.empty())
        return true; // the root itself
    if (equalsIgnoringAsciiCase(rest[0], "Library"))
        return rest.size() == 1 || (rest.size() == 2 && isStandardLibraryFolder(rest[1])) ||
               (rest.size() == 3 && isStandardLibraryFolder(rest[1]) &&
                isSharedFolder(rest[1], rest[2]));
    // var/folders/X/Y/{C,T,0}: the per-user roots of temporary files and caches (also
    // reached as private/var, where var points on macOS).
    size_t v = 0;
    if (rest.size() > 1 && equalsIgnoringAsciiCase(rest[0], "private") &&
        equalsIgnoringAsciiCase(rest[1], "var"))
        v = 1;
    if (!equalsIgnoringAsciiCase(rest[v], "var"))
        return false;
    const size_t depth = rest.size() - v; // var = 1, var/folders = 2, ...
    if (depth == 1)
        return true;
    if (!equalsIgnoringAsciiCase(rest[v + 1], "folders"))
        return false;
    if (depth <= 4)
        return true;
    if (depth == 5) {
        const std::string &last = rest.back();
        return equalsIgnoringAsciiCase(last, "C") || equalsIgnoringAsciiCase(last, "T") ||
               last == "0";
    }
    return false;
}

} // namespace

bool isStandardLibraryFolder(std::string_view name) {
    static constexpr std::array<std::string_view, 28> kStandard = {"Application Support",
                                                                   "Caches",
                                                                   "Containers",
                                                                   "Group Containers",
                                                                   "Preferences",
                                                                   "Logs",
                                                                   "LaunchAgents",
                                                                   "LaunchDaemons",
                                                                   "Cookies",
                                                                   "Saved Application State",
                                                                   "Application Scripts",
                                                                   "HTTPStorages",
                                                                   "WebKit",
                                                                   "Internet Plug-Ins",
                                                                   "PreferencePanes",
                                                                   "Services",
                                                                   "Safari",
                                                                   "Mail",
                                                                   "Keychains",
                                                                   "Fonts",
                                                                   "Address Book Plug-Ins",
                                                                   "Spotlight",
                                                                   "QuickLook",
                                                                   "Extensions",
                                                                   "Frameworks",
                                                                   "Printers",
                                                                   "Sounds",
                                                                   "Screen Savers"};
    for (std::string_view s : kStandard)
        if (equalsIgnoringAsciiCase(s, name))
            return true;
    return false;
}

bool isProtectedFolder(const fs::path &path, const std::vector<fs::path> &roots) {
    if (path.empty())
        return false;
    const fs::path p = platform::absolutePath(path);
    for (const fs::path &root : roots) {
        if (root.empty())
            continue;
        if (const auto rest = below(p, platform::absolutePath(root));
            rest && isProtectedBelowRoot(*rest))
            return true;
    }
    return false;
}

} // namespace zembra::leftovers
