#include "leftovers/RelatedSearch.h"

#include "catalogue/BundleFields.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/StandardFolders.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <set>

namespace zembra::leftovers {

namespace fs = std::filesystem;

namespace {

// What helpers, updaters and crash reporters add to a product's name in their
// identifiers (com.vendor.AppUpdater, com.vendor.app-helper), folded.
const QStringList kRoleWords = {QStringLiteral("helper"),        QStringLiteral("updater"),
                                QStringLiteral("autoupdate"),    QStringLiteral("agent"),
                                QStringLiteral("launcher"),      QStringLiteral("loginitem"),
                                QStringLiteral("crashreporter"), QStringLiteral("shipit"),
                                QStringLiteral("daemon"),        QStringLiteral("service"),
                                QStringLiteral("notifier"),      QStringLiteral("installer"),
                                QStringLiteral("uninstaller"),   QStringLiteral("extension")};

QString folded(const QString &s) { return QString::fromStdString(platform::foldForMatch(s)); }

// Blanks and joining punctuation dropped: "Sketch Pad", "sketch-pad" and "sketchpad" meet.
QString squeezed(const QString &s)
{
    QString out;
    for (const QChar c : folded(s))
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            out += c;
    return out;
}

bool isTeamId(const QString &c)
{
    return c.size() == 10 && std::all_of(c.begin(), c.end(), [](QChar ch) {
               return (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) || (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'));
           });
}

bool isHex(const QString &s) { return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')); }); }

// A ByHost preference file's host part: a hardware UUID (8-4-4-4-12) or a 12-digit address.
bool isHostId(const QString &c)
{
    if (c.size() == 12)
        return isHex(c);
    const QStringList groups = c.split(QLatin1Char('-'));
    if (c.size() != 36 || groups.size() != 5)
        return false;
    const int lengths[] = {8, 4, 4, 4, 12};
    for (int i = 0; i < 5; ++i)
        if (groups[i].size() != lengths[i] || !isHex(groups[i]))
            return false;
    return true;
}

QString withoutSuffix(QString name)
{
    for (const char *suffix : {".plist", ".binarycookies", ".savedState"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return name.chopped(qsizetype(std::strlen(suffix)));
    return name;
}

struct Folder {
    fs::path path;
    QString shownName; // for "same identifier in ..."
    bool byHost = false;
};

} // namespace

QString identifierRelation(const std::string &nameBytes, const QString &identifier, const QStringList &products)
{
    const QStringList own = folded(identifier).split(QLatin1Char('.'));
    if (own.size() < 2 || own.contains(QString()))
        return {};
    QStringList parts = withoutSuffix(platform::decodeUtf8(nameBytes)).split(QLatin1Char('.'));
    QString prefix;
    if (parts.size() > 2 && isTeamId(parts.front())) {
        prefix = kTeamIdPrefix;
        parts.removeFirst();
    } else if (parts.size() > 2 && parts.front().compare(QLatin1String("group"), Qt::CaseInsensitive) == 0) {
        prefix = kGroupIdentifier;
        parts.removeFirst();
    }
    if (parts.size() > own.size() && isHostId(parts.back()))
        parts.removeLast();
    for (QString &p : parts)
        p = folded(p);
    if (parts == own)
        return prefix.isEmpty() ? kSameIdentifier : prefix;
    // Below a two-component identifier (com.vendor) lies the whole vendor, not one product.
    const bool sameVendor = own.size() >= 3 && parts.size() >= 3 && parts[0] == own[0] && parts[1] == own[1];
    bool sameProduct = sameVendor && parts.size() > own.size() && parts.mid(0, own.size()) == own;
    if (!sameProduct && sameVendor) {
        const QString component = squeezed(parts[2]);
        for (const QString &product : products) {
            const QString p = squeezed(product);
            if (p.size() < 3 || !component.startsWith(p))
                continue;
            const QString rest = component.mid(p.size());
            if (rest.isEmpty() || kRoleWords.contains(rest))
                sameProduct = true;
        }
    }
    if (!sameProduct)
        return {};
    return prefix.isEmpty() ? kSameProduct : prefix;
}

std::vector<RelatedEntry> findRelated(const ItemRecord &item, platform::SettingsStore &settings,
                                      const std::vector<SharedFlag> &flags)
{
    std::vector<RelatedEntry> found;
    const grants::GrantStore store(settings);
    const auto home = store.resolve(grants::kHome).folder;
    const grants::Resolution rootGrant = store.resolve(grants::kMacOS);
    const auto root = rootGrant.folder && store.systemFoldersAllowed(rootGrant) ? rootGrant.folder : std::nullopt;

    const QString identifier = item.bundle().value_or(QString());
    QStringList products;
    for (const OptString &v : {item.bundle_name(), item.label(), item.bundle_name_info(), item.executable_info()})
        if (v && *v != fields::kPlaceholder && squeezed(*v).size() >= 3 && !products.contains(*v))
            products.push_back(*v);
    const QStringList idParts = identifier.split(QLatin1Char('.'));
    const QString vendor = idParts.size() >= 3 ? folded(idParts[1]) : QString();

    // What the search listed, and the folders its passes read: never related.
    std::set<std::string> listed;
    std::vector<fs::path> listedRows;
    const std::vector<FileEntry> files = item.files();
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL()) {
            listed.insert(files[i].path().native());
            if (i >= flags.size() || !flags[i].flagged())
                listedRows.push_back(files[i].path());
        }
    std::set<std::string> seen;
    std::vector<fs::path> roots;
    for (const auto &granted : {home, rootGrant.folder})
        if (granted)
            roots.push_back(*granted);
    auto add = [&](const fs::path &path, const QString &reason) {
        if (listed.count(path.native()) || isProtectedFolder(path, roots) || !seen.insert(path.native()).second)
            return;
        for (const fs::path &row : listedRows)
            if (platform::isWithin(path, row))
                return;
        found.push_back({path, reason});
    };

    std::vector<Folder> folders;
    std::vector<fs::path> vendorParents;
    std::set<std::string> readByPasses;
    for (const auto &[base, names] :
         {std::pair{home, QStringList{"HTTPStorages", "WebKit", "Preferences/ByHost", "Group Containers", "Containers",
                                      "Application Scripts", "Preferences", "Caches", "Cookies",
                                      "Saved Application State", "LaunchAgents", "Application Support", "Logs"}},
          std::pair{root, QStringList{"LaunchAgents", "LaunchDaemons", "PrivilegedHelperTools", "Preferences",
                                      "Application Support"}}}) {
        if (!base || !platform::isRealDirectory(*base / "Library"))
            continue;
        for (const QString &name : names) {
            // ByHost is reached through Preferences: only when that is a real folder too.
            if (name.contains(QLatin1Char('/')) &&
                !platform::isRealDirectory(*base / "Library" / name.section(QLatin1Char('/'), 0, 0).toStdString()))
                continue;
            folders.push_back({*base / "Library" / name.toStdString(), name.section(QLatin1Char('/'), -1),
                               name == QLatin1String("Preferences/ByHost")});
        }
        for (const char *v : {"Caches", "Application Support", "Logs"})
            vendorParents.push_back(*base / "Library" / v);
        for (const char *r : {"Caches/com.apple.helpd", "Application Support/CrashReporter", "Logs/CSXS"})
            readByPasses.insert((*base / "Library" / r).native());
    }

    for (const Folder &folder : folders) {
        if (identifier.isEmpty())
            break;
        for (const platform::DirEntry &e : platform::listDirectory(folder.path)) {
            if (readByPasses.count(e.path.native()) || isStandardLibraryFolder(e.name()))
                continue;
            const QString relation = identifierRelation(e.name(), identifier, products);
            if (relation.isEmpty())
                continue;
            if (folder.byHost)
                add(e.path, kByHostPreferences);
            else if (relation == kSameIdentifier)
                add(e.path, relation + QStringLiteral(" in ") + folder.shownName);
            else
                add(e.path, relation);
        }
    }

    // Caches/Vendor/Product: a whole entry named after the product below the vendor's folder.
    for (const fs::path &parent : vendorParents) {
        if (vendor.size() < 3)
            break;
        for (const platform::DirEntry &v : platform::listDirectory(parent)) {
            const QString name = folded(platform::decodeUtf8(v.name()));
            if (v.type != platform::EntryType::Directory || readByPasses.count(v.path.native()) ||
                !(squeezed(name) == vendor || name.startsWith(vendor + QLatin1Char(' '))))
                continue;
            for (const platform::DirEntry &p : platform::listDirectory(v.path)) {
                const QString entry = platform::decodeUtf8(p.name());
                const QString stem = p.type == platform::EntryType::Directory ? entry : entry.section(QLatin1Char('.'), 0, 0);
                for (const QString &product : products)
                    if (folded(stem) == folded(product)) {
                        add(p.path, kVendorFolder);
                        break;
                    }
            }
        }
    }

    // ~/.product, by the product's own names: an identifier's last component can be a
    // word such as "desktop" or "mac", and the home's shared dot folders are nobody's.
    static const QStringList kHomeDotFolders = {QStringLiteral("trash"), QStringLiteral("config"),
                                                QStringLiteral("local"), QStringLiteral("cache"),
                                                QStringLiteral("ssh"),   QStringLiteral("gnupg")};
    if (home)
        for (const platform::DirEntry &e : platform::listHiddenEntries(*home)) {
            const QString name = squeezed(platform::decodeUtf8(e.name()).mid(1));
            if (kHomeDotFolders.contains(name))
                continue;
            for (const OptString &product : {item.label(), item.bundle_name_info(), item.executable_info()})
                if (product && *product != fields::kPlaceholder && squeezed(*product).size() >= 3 &&
                    name == squeezed(*product)) {
                    add(e.path, kNamedInHome);
                    break;
                }
        }
    return found;
}

} // namespace zembra::leftovers
