#pragma once
// The identifiers and names an application bundle holds besides its own: its login
// items, privileged helper tools, XPC services, app extensions and plug-ins, Spotlight
// and QuickLook plug-ins, system extensions, frameworks, the helper applications and
// updaters inside them (Contents/Frameworks/X.framework/Versions/A/Helpers/X Helper.app,
// Sparkle's Updater.app) and plain helper tools (ShipIt, crash handlers). Leftovers are
// often named after these rather than after the application.
//
// Only the places where bundles keep such things are looked at, below the application
// and below each bundle found there, breadth first. Bounded for hostile bundles: nesting
// depth, bundles collected, folder entries looked at, and the size of each Info.plist
// (Limits); reaching a bound leaves `complete` false. Symbolic links are never followed,
// and only regular files are read (a FIFO cannot block the reader).
//
// The names are what the bundle claims: a bundle can hold a helper that names another
// vendor's identifier. Reads only; any thread.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace zembra {

struct InnerBundle {
    enum class Kind {
        Application, // the bundle itself
        LoginItem,   // Contents/Library/LoginItems
        HelperTool,  // Contents/Library/LaunchServices (a privileged helper: its file name is its
                     // label)
        XPCService,
        Extension, // an app extension (.appex)
        PlugIn,    // other loadable bundles (.plugin, .bundle)
        Spotlight,
        QuickLook,
        SystemExtension,
        Framework,
        Helper, // an application inside another place (Helpers, a framework, Resources)
        Tool,   // a plain executable in MacOS, Helpers or a framework's resources
    };
    std::filesystem::path path;
    Kind kind = Kind::Application;
    int depth = 0;      // 0: the application; 1: directly inside it; ...
    QString identifier; // CFBundleIdentifier; a helper tool's file name; "" when none
    QString name;       // CFBundleName; "" when none
    QString executable; // CFBundleExecutable, or a tool's file name; "" when none
};

struct BundleIdentities {
    std::vector<InnerBundle> bundles; // the application first, then breadth first
    bool complete = true;             // false when a bound stopped the walk

    // Distinct non-empty identifiers, in the order found (the application's first).
    QStringList identifiers() const;
    // Distinct non-empty names and executables, in the order found.
    QStringList names() const;
};

struct BundleIdentitiesLimits {
    int maxDepth = 6;
    std::size_t maxBundles = 256;
    std::size_t maxEntries = 20000;        // folder entries looked at, in all
    std::uint64_t maxInfoBytes = 1u << 20; // a larger Info.plist is not read
};

// Nothing but `complete` false when `application` is not a real folder.
BundleIdentities collectBundleIdentities(const std::filesystem::path &application,
                                         const BundleIdentitiesLimits &limits = {});

} // namespace zembra
