#include "catalogue/BundleIdentities.h"

#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/PropertyList.h"

#include <array>
#include <deque>
#include <string_view>
#include <system_error>

namespace zembra {

namespace {

namespace fs = std::filesystem;
using Kind = InnerBundle::Kind;

constexpr std::array<std::string_view, 13> kBundleExtensions = {
    "app",         "appex",           "xpc",      "framework", "bundle", "plugin",   "mdimporter",
    "qlgenerator", "systemextension", "prefPane", "saver",     "kext",   "component"};

// Folders whose plain executables are helper tools (a framework's Resources holds ShipIt).
bool holdsTools(std::string_view place, bool framework) {
    return place == "MacOS" || place == "Helpers" || place == "Library/LaunchServices" ||
           (framework && (place.empty() || place == "Resources"));
}

bool isBundleExtension(const std::string &extension) {
    for (std::string_view e : kBundleExtensions)
        if (extension == e)
            return true;
    return false;
}

Kind kindOf(std::string_view place, const std::string &extension) {
    if (place == "Library/LoginItems")
        return Kind::LoginItem;
    if (place == "Library/LaunchServices")
        return Kind::HelperTool;
    if (place == "Library/QuickLook" || extension == "qlgenerator")
        return Kind::QuickLook;
    if (place == "Library/Spotlight" || extension == "mdimporter")
        return Kind::Spotlight;
    if (place == "XPCServices" || extension == "xpc")
        return Kind::XPCService;
    if (extension == "appex")
        return Kind::Extension;
    if (extension == "systemextension")
        return Kind::SystemExtension;
    if (extension == "framework")
        return Kind::Framework;
    if (extension == "app")
        return Kind::Helper;
    return Kind::PlugIn;
}

bool isExecutableFile(const fs::path &file) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(file, ec);
    return !ec && st.type() == fs::file_type::regular &&
           (st.permissions() & (fs::perms::owner_exec | fs::perms::group_exec |
                                fs::perms::others_exec)) != fs::perms::none;
}

struct Info {
    QString identifier, name, executable;
};

bool readInfo(const fs::path &plistFile, std::uint64_t maxBytes, Info &out) {
    if (!platform::isRegularFile(plistFile))
        return false;
    const std::optional<QByteArray> data = platform::readSmallFile(plistFile, maxBytes);
    if (!data)
        return false;
    const platform::PropertyList plist = platform::PropertyList::fromMemory(*data);
    const platform::PlistNode root = plist.root();
    if (!root.isDictionary())
        return false;
    out.identifier = root.item("CFBundleIdentifier").string().value_or(QString());
    out.name = root.item("CFBundleName").string().value_or(QString());
    out.executable = root.item("CFBundleExecutable").string().value_or(QString());
    return true;
}

struct Pending {
    fs::path path;
    int depth = 0;
    Kind kind = Kind::Application;
};

class Walk {
public:
    Walk(const BundleIdentitiesLimits &limits, BundleIdentities &out)
        : m_limits(limits), m_out(out) {}

    void run(const fs::path &application) {
        m_queue.push_back({application, 0, Kind::Application});
        while (!m_queue.empty() && !m_stopped) {
            const Pending p = m_queue.front();
            m_queue.pop_front();
            visit(p);
        }
        if (!m_queue.empty())
            m_out.complete = false;
    }

private:
    // False (and the walk stopped) once the entry budget is spent.
    bool spend(std::size_t entries) {
        m_entries += entries;
        if (m_entries > m_limits.maxEntries) {
            m_stopped = true;
            m_out.complete = false;
        }
        return !m_stopped;
    }

    bool roomForAnother() {
        if (m_out.bundles.size() + m_queue.size() < m_limits.maxBundles)
            return true;
        m_out.complete = false;
        return false;
    }

    std::vector<platform::DirEntry> list(const fs::path &folder) {
        std::vector<platform::DirEntry> entries = platform::listDirectory(folder);
        return spend(entries.size()) ? entries : std::vector<platform::DirEntry>{};
    }

    void visit(const Pending &p) {
        const bool framework = platform::nameExtension(p.path.filename().native()) == "framework";
        std::vector<fs::path> roots;
        if (!framework) {
            if (platform::isRealDirectory(p.path / "Contents"))
                roots.push_back(p.path / "Contents");
        } else if (platform::isRealDirectory(p.path / "Versions")) {
            for (const platform::DirEntry &v : list(p.path / "Versions"))
                if (v.type == platform::EntryType::Directory)
                    roots.push_back(v.path);
        } else {
            roots.push_back(p.path);
        }

        InnerBundle b;
        b.path = p.path;
        b.kind = p.kind;
        b.depth = p.depth;
        Info info;
        if (!framework) {
            readInfo(p.path / "Contents" / "Info.plist", m_limits.maxInfoBytes, info);
        } else {
            for (const fs::path &root : roots)
                if (readInfo(root / "Resources" / "Info.plist", m_limits.maxInfoBytes, info))
                    break;
        }
        b.identifier = info.identifier;
        b.name = info.name;
        b.executable = info.executable;
        m_out.bundles.push_back(b);

        const std::string ownExecutable =
            info.executable.isEmpty() ? p.path.stem().native() : info.executable.toStdString();
        // The root, each folder in it, and each folder in its Library: wherever vendors
        // put them (Contents/Library/LoginItems, Contents/XPCServices, Contents/Preferences,
        // a framework's Versions/A/Helpers, Sparkle's updater at the top of Versions/B).
        for (const fs::path &root : roots) {
            look(root, "", p.depth, ownExecutable, framework);
            for (const platform::DirEntry &d : list(root)) {
                if (d.type != platform::EntryType::Directory || m_stopped)
                    continue;
                const std::string place = d.name();
                if (place != "Library") {
                    look(d.path, place, p.depth, ownExecutable, framework);
                    continue;
                }
                for (const platform::DirEntry &l : list(d.path))
                    if (l.type == platform::EntryType::Directory)
                        look(l.path, "Library/" + l.name(), p.depth, ownExecutable, framework);
            }
            if (m_stopped)
                return;
        }
    }

    void look(const fs::path &folder, const std::string &place, int depth,
              const std::string &ownExecutable, bool framework) {
        if (m_stopped)
            return;
        const bool tools = holdsTools(place, framework);
        for (const platform::DirEntry &e : list(folder)) {
            const std::string name = e.name();
            const std::string extension = platform::nameExtension(name);
            if (e.type == platform::EntryType::Directory && isBundleExtension(extension)) {
                if (depth + 1 > m_limits.maxDepth) {
                    m_out.complete = false;
                    continue;
                }
                if (roomForAnother())
                    m_queue.push_back({e.path, depth + 1, kindOf(place, extension)});
            } else if (tools && e.type == platform::EntryType::File && name != ownExecutable) {
                const bool privileged = place == "Library/LaunchServices";
                if (!privileged && !isExecutableFile(e.path))
                    continue;
                if (!roomForAnother())
                    continue;
                InnerBundle t;
                t.path = e.path;
                t.kind = privileged ? Kind::HelperTool : Kind::Tool;
                t.depth = depth + 1;
                t.identifier = privileged ? platform::lastComponent(e.path) : QString();
                t.executable = platform::lastComponent(e.path);
                m_out.bundles.push_back(t);
            }
        }
    }

    const BundleIdentitiesLimits &m_limits;
    BundleIdentities &m_out;
    std::deque<Pending> m_queue;
    std::size_t m_entries = 0;
    bool m_stopped = false;
};

void appendDistinct(QStringList &list, const QString &value) {
    if (!value.isEmpty() && !list.contains(value))
        list.append(value);
}

} // namespace

QStringList BundleIdentities::identifiers() const {
    QStringList out;
    for (const InnerBundle &b : bundles)
        appendDistinct(out, b.identifier);
    return out;
}

QStringList BundleIdentities::names() const {
    QStringList out;
    for (const InnerBundle &b : bundles) {
        appendDistinct(out, b.name);
        appendDistinct(out, b.executable);
    }
    return out;
}

BundleIdentities collectBundleIdentities(const std::filesystem::path &application,
                                         const BundleIdentitiesLimits &limits) {
    BundleIdentities out;
    if (!platform::isRealDirectory(application)) {
        out.complete = false;
        return out;
    }
    Walk(limits, out).run(application);
    return out;
}

} // namespace zembra
