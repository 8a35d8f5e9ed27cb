#include "leftovers/RelatedSearch.h"

#include "catalogue/BundleFields.h"
#include "catalogue/BundleIdentities.h"
#include "catalogue/CodeSignature.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/NameKeys.h"
#include "leftovers/StandardFolders.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace zembra::leftovers {

namespace fs = std::filesystem;

namespace {

// What helpers, updaters and crash reporters add to a product's name in their
// identifiers (com.vendor.AppUpdater, com.vendor.app-helper), folded.
const QStringList kRoleWords = {
    QStringLiteral("helper"),        QStringLiteral("updater"),  QStringLiteral("autoupdate"),
    QStringLiteral("agent"),         QStringLiteral("launcher"), QStringLiteral("loginitem"),
    QStringLiteral("crashreporter"), QStringLiteral("shipit"),   QStringLiteral("daemon"),
    QStringLiteral("service"),       QStringLiteral("notifier"), QStringLiteral("installer"),
    QStringLiteral("uninstaller"),   QStringLiteral("extension")};

QString folded(const QString &s) {
    return QString::fromStdString(platform::foldForMatch(s));
}

// Blanks and joining punctuation dropped: "Sketch Pad", "sketch-pad" and "sketchpad" meet.
QString squeezed(const QString &s) {
    QString out;
    for (const QChar c : folded(s))
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            out += c;
    return out;
}

bool isTeamId(const QString &c) {
    const std::string dotted = c.toStdString() + ".x";
    return teamIdPrefixLength(dotted) == size_t(c.size());
}

bool isHex(const QString &s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) {
        return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
    });
}

// A ByHost preference file's host part: a hardware UUID (8-4-4-4-12) or a 12-digit address.
bool isHostId(const QString &c) {
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

QString withoutSuffix(QString name) {
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

// The first two components, folded ("com.vendor"): "" for a shorter identifier.
QString domainOf(const QString &identifier) {
    const QStringList parts = folded(identifier).split(QLatin1Char('.'));
    return parts.size() >= 3 && !parts[0].isEmpty() && !parts[1].isEmpty()
               ? parts[0] + QLatin1Char('.') + parts[1]
               : QString();
}

// What the bundle names besides the record: its inner bundles' identifiers (folded, with
// whether each ties strongly) and its signature's groups that it owns.
struct OwnIdentities {
    std::map<QString, bool> inner; // folded identifier -> shares the application's domain
    QStringList names;             // the inner bundles' names, for vendor folders
    std::set<QString> groups;      // exact names of owned application groups
    QStringList otherGroups;       // groups it claims but does not own
};

OwnIdentities ownIdentities(const ItemRecord &item, const QString &identifier) {
    OwnIdentities own;
    const auto url = item.url();
    if (!url || !platform::isRealDirectory(*url))
        return own;
    const QString domain = domainOf(identifier);
    const BundleIdentities bundles = collectBundleIdentities(*url);
    std::vector<fs::path> foreignFrameworks;
    QStringList ownIds{identifier};
    for (const InnerBundle &b : bundles.bundles) {
        if (b.depth == 0 || b.identifier.isEmpty())
            continue;
        const QString d = domainOf(b.identifier);
        const bool sameDomain = !domain.isEmpty() && d == domain;
        // Sparkle, Electron, Squirrel: shared by every application that embeds them.
        bool insideForeign = false;
        for (const fs::path &f : foreignFrameworks)
            insideForeign = insideForeign || platform::isWithin(b.path, f);
        if (!sameDomain && (b.kind == InnerBundle::Kind::Framework || insideForeign)) {
            if (b.kind == InnerBundle::Kind::Framework)
                foreignFrameworks.push_back(b.path);
            continue;
        }
        if (folded(b.identifier).split(QLatin1Char('.')).size() < 2 || isWeakKey(b.identifier))
            continue;
        own.inner.emplace(folded(b.identifier), sameDomain);
        if (sameDomain)
            ownIds.push_back(b.identifier);
        if (!b.name.isEmpty() && !own.names.contains(b.name))
            own.names.push_back(b.name);
    }
    const QString executable = item.executable_info().value_or(QString());
    if (executable.isEmpty() || executable.contains(QLatin1Char('/')) ||
        executable == fields::kPlaceholder)
        return own;
    const auto signature = readCodeSignature(*url / "Contents/MacOS" / executable.toStdString());
    if (!signature)
        return own;
    const QString team = signature->teamIdentifier;
    for (const QString &group : signature->applicationGroups) {
        // A vendor's team signs all its products, and they share some groups
        // ("TEAM.Office"): behind the team ID, the group must name this application too.
        const QString rest = group.startsWith(team + QLatin1Char('.')) && !team.isEmpty()
                                 ? folded(group.mid(team.size() + 1))
                                 : QString();
        bool owned = false;
        for (const QString &id : ownIds) {
            const QString f = folded(id);
            if (id.isEmpty())
                continue;
            owned = owned ||
                    group.compare(QStringLiteral("group.") + id, Qt::CaseInsensitive) == 0 ||
                    (!rest.isEmpty() && (rest == f || rest.startsWith(f + QLatin1Char('.'))));
        }
        if (owned)
            own.groups.insert(group);
        else
            own.otherGroups.push_back(group);
    }
    return own;
}

// What an entry's name must hold to tie by any of the identifier tests below, tested on
// its bytes before them: most names of a Library folder hold none of it. The tests split
// and fold every name they see; this only lowers ASCII letters, and leaves a name with
// other bytes to them. Those tests read a name's identifier from its first component, or
// from its second behind a team-ID or "group." prefix: its first two components there
// must be the identifier's or an inner identifier's (a set: bounded whatever the bundle).
struct NameFilter {
    std::set<std::string, std::less<>> domains; // first two components, folded
    std::string vendor;                         // a name starting with it may be the vendor's
    std::set<std::string, std::less<>> groups;  // the signature's groups, exactly

    bool mayTie(std::string_view name, std::string &lowered) const {
        lowered.assign(name);
        for (char &c : lowered) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x80)
                return true;
            if (u >= 'A' && u <= 'Z')
                c = char(u + ('a' - 'A'));
        }
        if (groups.count(name) || (!vendor.empty() && lowered.starts_with(vendor)))
            return true;
        const std::string_view l = lowered;
        const size_t first = l.find('.');
        if (first == std::string_view::npos)
            return false;
        const size_t second = l.find('.', first + 1);
        if (domains.count(l.substr(0, second)))
            return true;
        return second != std::string_view::npos &&
               domains.count(l.substr(first + 1, l.find('.', second + 1) - first - 1));
    }
};

NameFilter nameFilter(const QString &identifier, const OwnIdentities &own, const QString &vendor) {
    NameFilter f;
    const auto addNeedle = [&f](const QString &foldedId) {
        const QStringList parts = foldedId.split(QLatin1Char('.'));
        if (parts.size() < 2)
            return;
        f.domains.insert((parts[0] + QLatin1Char('.') + parts[1]).toStdString());
    };
    addNeedle(folded(identifier));
    for (const auto &[id, sameDomain] : own.inner)
        addNeedle(id);
    f.vendor = vendor.toStdString();
    for (const QString &g : own.groups)
        f.groups.insert(g.toStdString());
    for (const QString &g : own.otherGroups)
        f.groups.insert(g.toStdString());
    return f;
}

// The inner identifier `name` (suffix, team or "group." prefix and host dropped) is, or
// lies below; with whether it equals it.
std::pair<QString, bool> innerRelation(const std::string &nameBytes, const OwnIdentities &own) {
    if (own.inner.empty())
        return {};
    QStringList parts =
        folded(withoutSuffix(platform::decodeUtf8(nameBytes))).split(QLatin1Char('.'));
    if (parts.size() > 2 &&
        (teamIdPrefixLength(nameBytes) > 0 || parts.front() == QLatin1String("group")))
        parts.removeFirst();
    for (qsizetype n = parts.size(); n >= 2; --n) {
        const auto it = own.inner.find(parts.mid(0, n).join(QLatin1Char('.')));
        if (it != own.inner.end())
            return {it->first,
                    n == parts.size() || (n + 1 == parts.size() && isHostId(parts.back()))};
    }
    return {};
}

// `name` begins with `word` (folded) as the first word of a camel-case name: an
// upper-case letter or a digit follows ("ZoomChat", "ZoomClient3rd"; not "Zoomer", and
// not the vendor's own folder "Zoom" or "Zoom Video", which other products share).
bool startsWithWord(const QString &name, const QString &word) {
    if (word.size() < 4 || name.size() <= word.size() ||
        !name.startsWith(word, Qt::CaseInsensitive))
        return false;
    const QChar next = name.at(word.size());
    return next.isUpper() || next.isDigit();
}

// A sibling product's identifier: its product component extends the item's
// (com.vendor.product2 beside com.vendor.product). Another application: not offered.
bool isSibling(const QString &name, const QString &identifier) {
    const QStringList own = folded(identifier).split(QLatin1Char('.'));
    const QStringList parts = folded(name).split(QLatin1Char('.'));
    return own.size() >= 3 && parts.size() >= 3 && parts[2] != own[2] &&
           parts[2].startsWith(own[2]);
}

// What a name must start with, squeezed and with ASCII letters lowered, to be one of
// `words` (folded) at its start: a cheap test on the bytes before a name is decoded. A
// name with bytes outside ASCII may fold to anything: it always passes.
class BytePrefixes {
public:
    explicit BytePrefixes(const QStringList &words) {
        for (const QString &w : words)
            m_words.push_back(squeezed(w).toStdString());
    }
    bool mayMatch(std::string_view name) const {
        m_buffer.clear();
        for (const char c : name) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x80)
                return true;
            if (c != ' ' && c != '-' && c != '_')
                m_buffer.push_back(u >= 'A' && u <= 'Z' ? char(u + ('a' - 'A')) : c);
        }
        return std::any_of(m_words.begin(), m_words.end(),
                           [this](const std::string &w) { return m_buffer.starts_with(w); });
    }

private:
    std::vector<std::string> m_words;
    mutable std::string m_buffer;
};

// The search's listing of `folder` when it made one (the same folder, by the same path),
// else the folder's listing read now into `fresh`.
const platform::FolderListing &listingOf(const fs::path &folder, const FolderListings *listed,
                                         platform::FolderListing &fresh) {
    if (listed)
        if (const auto it = listed->find(folder); it != listed->end())
            return it->second;
    fresh = platform::listNames(folder);
    return fresh;
}

// The first word of a folded name: up to a blank, ".", "-" or "_".
QString firstWord(const QString &name) {
    qsizetype end = 0;
    while (end < name.size() && name.at(end) != QLatin1Char(' ') &&
           name.at(end) != QLatin1Char('.') && name.at(end) != QLatin1Char('-') &&
           name.at(end) != QLatin1Char('_'))
        ++end;
    return name.left(end);
}

// What the product's names are made of, folded: each name whole (blanks and joining
// punctuation dropped) and, for a name of several words, each word. Only names and words
// of four characters or more that are not generic ("Go", "Box", "Pro", "Desktop" tie
// nothing here).
struct ProductWords {
    QStringList whole;  // "dropbox", "androidstudio"
    QStringList tokens; // "android", "studio": words of a name of several
    QStringList firsts; // the first word of each name: "zoom" of "zoom.us"
};

ProductWords productWords(const QStringList &products) {
    ProductWords w;
    const auto usable = [](const QString &word) { return word.size() >= 4 && !isWeakKey(word); };
    for (const QString &product : products) {
        const QString f = folded(product);
        if (const QString s = squeezed(f); usable(s) && !w.whole.contains(s))
            w.whole.push_back(s);
        QStringList parts;
        QString part;
        for (const QChar c : f + QLatin1Char(' ')) {
            if (c == QLatin1Char(' ') || c == QLatin1Char('.') || c == QLatin1Char('-') ||
                c == QLatin1Char('_')) {
                if (!part.isEmpty())
                    parts.push_back(std::exchange(part, QString()));
            } else {
                part += c;
            }
        }
        if (!parts.isEmpty() && usable(parts.front()) && !w.firsts.contains(parts.front()))
            w.firsts.push_back(parts.front());
        if (parts.size() > 1)
            for (const QString &p : parts)
                if (usable(p) && !w.tokens.contains(p))
                    w.tokens.push_back(p);
    }
    return w;
}

// `name` is one of `whole` followed by a capitalised word: "DropboxHelperTools", not
// "Dropboxer", "DropboxHQ" or "MyDropboxTools".
bool startsWithCapitalisedWord(const QString &name, const QStringList &whole) {
    for (const QString &w : whole) {
        if (name.size() < w.size() + 2 || folded(name.left(w.size())) != w)
            continue;
        if (name.at(w.size()).isUpper() && name.at(w.size() + 1).isLower())
            return true;
    }
    return false;
}

// What a product's installer or updater logs to: its lower-case name and a role word
// ("zoominstall.log", "dropboxupdater.log").
bool isLogOfProduct(const QString &name, const ProductWords &words) {
    static const QStringList kLogWords = {
        QStringLiteral("install"), QStringLiteral("installer"), QStringLiteral("uninstall"),
        QStringLiteral("setup"),   QStringLiteral("update"),    QStringLiteral("updater"),
        QStringLiteral("helper"),  QStringLiteral("launcher"),  QStringLiteral("daemon"),
        QStringLiteral("agent"),   QStringLiteral("service"),   QStringLiteral("crash")};
    const QString stem = name.section(QLatin1Char('.'), 0, 0);
    if (stem != stem.toLower())
        return false;
    for (const QStringList *list : {&words.whole, &words.firsts})
        for (const QString &w : *list)
            if (stem.startsWith(w) && kLogWords.contains(stem.mid(w.size())))
                return true;
    return false;
}

// The home's own folders: never named after one application, whatever it is called.
const QStringList kHomeStandardFolders = {
    QStringLiteral("applications"), QStringLiteral("desktop"),  QStringLiteral("documents"),
    QStringLiteral("downloads"),    QStringLiteral("library"),  QStringLiteral("movies"),
    QStringLiteral("music"),        QStringLiteral("pictures"), QStringLiteral("public"),
    QStringLiteral("sites")};

} // namespace

QString identifierRelation(const std::string &nameBytes, const QString &identifier,
                           const QStringList &products) {
    const QStringList own = folded(identifier).split(QLatin1Char('.'));
    if (own.size() < 2 || own.contains(QString()))
        return {};
    QStringList parts = withoutSuffix(platform::decodeUtf8(nameBytes)).split(QLatin1Char('.'));
    QString prefix;
    if (parts.size() > 2 && isTeamId(parts.front())) {
        prefix = kTeamIdPrefix;
        parts.removeFirst();
    } else if (parts.size() > 2 &&
               parts.front().compare(QLatin1String("group"), Qt::CaseInsensitive) == 0) {
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
    const bool sameVendor =
        own.size() >= 3 && parts.size() >= 3 && parts[0] == own[0] && parts[1] == own[1];
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
                                      const std::vector<SharedFlag> &flags,
                                      const FolderListings *listed) {
    std::vector<RelatedEntry> found;
    const grants::GrantStore store(settings);
    const auto home = store.resolve(grants::kHome).folder;
    const grants::Resolution rootGrant = store.resolve(grants::kMacOS);
    const auto root =
        rootGrant.folder && store.systemFoldersAllowed(rootGrant) ? rootGrant.folder : std::nullopt;

    const QString identifier = item.bundle().value_or(QString());
    QStringList products;
    for (const OptString &v :
         {item.bundle_name(), item.label(), item.bundle_name_info(), item.executable_info()})
        if (v && *v != fields::kPlaceholder && squeezed(*v).size() >= 3 && !products.contains(*v))
            products.push_back(*v);
    const QStringList idParts = identifier.split(QLatin1Char('.'));
    const QString vendor = idParts.size() >= 3 ? folded(idParts[1]) : QString();

    // What the search listed, and the folders its passes read: never related.
    std::set<std::string> listedRowPaths, listedWeak;
    std::vector<fs::path> listedRows;
    const std::vector<FileEntry> files = item.files();
    const std::vector<bool> weakRows = item.weakRows();
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL()) {
            listedRowPaths.insert(files[i].path().native());
            if (i < weakRows.size() && weakRows[i])
                listedWeak.insert(files[i].path().native());
            // A flagged or weak folder starts unticked: what is the item's inside it is offered.
            if ((i >= flags.size() || !flags[i].flagged()) &&
                (i >= weakRows.size() || !weakRows[i]))
                listedRows.push_back(files[i].path());
        }
    std::set<std::string> seen;
    std::vector<fs::path> roots;
    for (const auto &granted : {home, rootGrant.folder})
        if (granted)
            roots.push_back(*granted);
    auto add = [&](const fs::path &path, const QString &reason, bool strong = false) {
        if (listedRowPaths.count(path.native())) {
            // The strongest tie wins over the search's weak one.
            if (strong && listedWeak.count(path.native()) && seen.insert(path.native()).second)
                found.push_back({path, reason, true, true});
            return;
        }
        if (isProtectedFolder(path, roots) || !seen.insert(path.native()).second)
            return;
        for (const fs::path &row : listedRows)
            if (platform::isWithin(path, row))
                return;
        found.push_back({path, reason, strong});
    };
    const OwnIdentities own = ownIdentities(item, identifier);

    std::vector<Folder> folders;
    std::vector<fs::path> vendorParents;
    std::set<std::string> readByPasses;
    for (const auto &[base, names] :
         {std::pair{home, QStringList{"HTTPStorages", "WebKit", "Preferences/ByHost",
                                      "Group Containers", "Containers", "Application Scripts",
                                      "Preferences", "Caches", "Cookies", "Saved Application State",
                                      "LaunchAgents", "Application Support", "Logs"}},
          std::pair{root,
                    QStringList{"LaunchAgents", "LaunchDaemons", "PrivilegedHelperTools",
                                "Preferences", "Application Support", "Internet Plug-Ins"}}}) {
        if (!base || !platform::isRealDirectory(*base / "Library"))
            continue;
        for (const QString &name : names) {
            // ByHost is reached through Preferences: only when that is a real folder too.
            if (name.contains(QLatin1Char('/')) &&
                !platform::isRealDirectory(*base / "Library" /
                                           name.section(QLatin1Char('/'), 0, 0).toStdString()))
                continue;
            folders.push_back({*base / "Library" / name.toStdString(),
                               name.section(QLatin1Char('/'), -1),
                               name == QLatin1String("Preferences/ByHost")});
        }
        for (const char *v : {"Caches", "Application Support", "Logs"})
            vendorParents.push_back(*base / "Library" / v);
        for (const char *r :
             {"Caches/com.apple.helpd", "Application Support/CrashReporter", "Logs/CSXS"})
            readByPasses.insert((*base / "Library" / r).native());
    }

    // Installer receipts are named after the vendor's package identifiers.
    if (root && platform::isRealDirectory(*root / "var/db/receipts"))
        folders.push_back({*root / "var/db/receipts", QStringLiteral("receipts"), false});
    const QString domain = domainOf(identifier);
    const bool vendorWord = vendor.size() >= 3 && !isWeakKey(vendor);
    const NameFilter filter = nameFilter(identifier, own, vendorWord ? vendor : QString());
    std::string lowered;
    for (const Folder &folder : folders) {
        if (identifier.isEmpty())
            break;
        const bool groupFolder = folder.shownName == QLatin1String("Group Containers") ||
                                 folder.shownName == QLatin1String("Application Scripts");
        platform::FolderListing fresh;
        const platform::FolderListing &names = listingOf(folder.path, listed, fresh);
        for (size_t i = 0; i < names.size(); ++i) {
            if (!filter.mayTie(names.name(i), lowered))
                continue;
            const std::string bytes(names.name(i));
            const platform::DirEntry e{names.pathOf(folder.path, i), names.type(i)};
            if (readByPasses.count(e.path.native()) || isStandardLibraryFolder(bytes))
                continue;
            const QString name = platform::decodeUtf8(bytes);
            if (groupFolder && own.groups.count(name)) {
                add(e.path, kApplicationGroup, true);
                continue;
            }
            if (groupFolder && own.otherGroups.contains(name)) {
                add(e.path, kApplicationGroup);
                continue;
            }
            const QString relation = identifierRelation(bytes, identifier, products);
            const auto [inner, exact] = innerRelation(bytes, own);
            if (relation != kSameIdentifier && exact && own.inner.at(inner) && !folder.byHost &&
                folded(withoutSuffix(name)) == inner) {
                add(e.path, kInnerIdentifier, true);
                continue;
            }
            if (relation.isEmpty()) {
                if (!inner.isEmpty())
                    add(e.path, folder.byHost ? kByHostPreferences : kInnerIdentifier,
                        exact && own.inner.at(inner) && !folder.byHost &&
                            folded(withoutSuffix(name)) == inner);
                else if (vendorWord && !folder.byHost &&
                         ((domainOf(withoutSuffix(name)) == domain &&
                           !isSibling(name, identifier)) ||
                          startsWithWord(name, vendor)))
                    add(e.path, kSameVendor);
                continue;
            }
            if (folder.byHost)
                add(e.path, kByHostPreferences);
            else if (relation == kSameIdentifier)
                add(e.path, relation + QStringLiteral(" in ") + folder.shownName,
                    folded(withoutSuffix(name)) == folded(identifier));
            else
                add(e.path, relation);
        }
    }

    // Caches/Vendor/Product: a whole entry named after the product below the vendor's
    // folder ("BraveSoftware/Brave-Browser"), or the product and its version
    // ("JetBrains/IntelliJIdea2024.1"). Named after the application itself, it ties
    // strongly; after one of its inner bundles, it is only offered.
    static const QStringList kCompanyWords = {QStringLiteral("software"), QStringLiteral("inc"),
                                              QStringLiteral("labs"),     QStringLiteral("corp"),
                                              QStringLiteral("ltd"),      QStringLiteral("llc")};
    auto productTie = [](const QString &entry, const QString &product) {
        const QString e = squeezed(entry), p = squeezed(product);
        if (p.size() < 3 || !e.startsWith(p))
            return false;
        const QString rest = e.mid(p.size());
        return rest.isEmpty() ||
               (rest.front().isDigit() && std::all_of(rest.begin(), rest.end(), [](QChar c) {
                    return c.isDigit() || c == QLatin1Char('.');
                }));
    };
    const BytePrefixes mayBeVendor({squeezed(vendor)});
    for (const fs::path &parent : vendorParents) {
        if (vendor.size() < 3)
            break;
        platform::FolderListing fresh;
        const platform::FolderListing &names = listingOf(parent, listed, fresh);
        for (size_t i = 0; i < names.size(); ++i) {
            if (names.type(i) != platform::EntryType::Directory ||
                !mayBeVendor.mayMatch(names.name(i)))
                continue;
            const platform::DirEntry v{names.pathOf(parent, i), names.type(i)};
            const QString name = folded(platform::decodeUtf8(v.name()));
            const QString squeezedName = squeezed(name);
            bool isVendor = squeezedName == vendor || name.startsWith(vendor + QLatin1Char(' '));
            for (const QString &word : kCompanyWords)
                isVendor = isVendor || squeezedName == vendor + word;
            if (v.type != platform::EntryType::Directory || readByPasses.count(v.path.native()) ||
                !isVendor)
                continue;
            for (const platform::DirEntry &p : platform::listDirectory(v.path)) {
                const QString entry = platform::decodeUtf8(p.name());
                const QString stem = p.type == platform::EntryType::Directory
                                         ? entry
                                         : entry.section(QLatin1Char('.'), 0, 0);
                bool tied = false;
                for (const QString &product : products)
                    if (folded(stem) == folded(product) ||
                        (p.type == platform::EntryType::Directory && productTie(entry, product)))
                        tied = true;
                bool inner = false;
                for (const QString &n : own.names)
                    inner = inner || folded(stem) == folded(n);
                // The system's vendor folders hold other vendors' files (native
                // messaging hosts): only offered.
                if (tied || inner)
                    add(p.path, kVendorFolder, tied && home && platform::isWithin(p.path, *home));
            }
        }
    }

    // ~/.product, by the product's own names: an identifier's last component can be a
    // word such as "desktop" or "mac", and the home's shared dot folders are nobody's.
    static const QStringList kHomeDotFolders = {QStringLiteral("trash"), QStringLiteral("config"),
                                                QStringLiteral("local"), QStringLiteral("cache"),
                                                QStringLiteral("ssh"),   QStringLiteral("gnupg")};
    // The identifier's own words after the vendor also name dot folders (~/.vscode for
    // com.microsoft.VSCode), when they are not generic.
    QStringList dotNames;
    for (const OptString &product : {item.label(), item.bundle_name_info(), item.executable_info()})
        if (product && *product != fields::kPlaceholder && squeezed(*product).size() >= 3)
            dotNames.push_back(squeezed(*product).remove(QLatin1Char('.')));
    for (qsizetype i = 2; i < idParts.size(); ++i)
        if (idParts[i].size() >= 4 && !isWeakKey(idParts[i]))
            dotNames.push_back(squeezed(idParts[i]));
    if (home)
        for (const platform::DirEntry &e : platform::listHiddenEntries(*home)) {
            const QString raw = platform::decodeUtf8(e.name()).mid(1);
            const QString name = squeezed(raw).remove(QLatin1Char('.'));
            if (kHomeDotFolders.contains(name))
                continue;
            // Or its first word is one (~/.product_shell_integration.zsh), a long one.
            const QString first = firstWord(folded(raw));
            if (dotNames.contains(name) || (first.size() >= 4 && dotNames.contains(first)))
                add(e.path, kNamedInHome);
        }

    // Named after the product outside the folders above: unticked, each with its reason.
    ProductWords words = productWords(products);
    words.tokens.removeAll(vendor); // the vendor's folder is every product's
    const BytePrefixes mayBeLog(words.whole + words.firsts);
    for (const auto &base : {home, root}) {
        if (!base)
            continue;
        const fs::path library = *base / "Library";
        for (const platform::DirEntry &e : platform::listDirectory(library)) {
            if (isStandardLibraryFolder(e.name()) || readByPasses.count(e.path.native()))
                continue;
            const QString name = platform::decodeUtf8(e.name());
            if (e.type == platform::EntryType::Directory && words.tokens.contains(folded(name)))
                add(e.path, kWordOfProduct); // Library/Android for Android Studio
            else if (e.type == platform::EntryType::Directory &&
                     startsWithCapitalisedWord(name, words.whole))
                add(e.path, kProductAndWord); // Library/DropboxHelperTools
        }
        const fs::path logs = library / "Logs";
        platform::FolderListing fresh;
        const platform::FolderListing &logNames = listingOf(logs, listed, fresh);
        for (size_t i = 0; i < logNames.size(); ++i)
            if (logNames.type(i) != platform::EntryType::Symlink &&
                mayBeLog.mayMatch(logNames.name(i)) &&
                isLogOfProduct(platform::decodeUtf8(logNames.name(i)), words))
                add(fs::path(logNames.pathOf(logs, i)), kLogOfProduct); // zoominstall.log
    }
    if (home)
        for (const platform::DirEntry &e : platform::listDirectory(*home)) {
            const QString name = folded(platform::decodeUtf8(e.name()));
            if (e.type == platform::EntryType::Directory && !kHomeStandardFolders.contains(name) &&
                std::any_of(products.begin(), products.end(),
                            [&](const QString &p) { return folded(p) == name; }))
                add(e.path, kNamedInHome); // ~/Postman
        }

    // Command-line links the application installed (usr/local/bin/tool -> inside the bundle).
    const auto url = item.url();
    if (root && url && !url->empty()) {
        const fs::path bin = *root / "usr/local/bin";
        const fs::path bundle = platform::absolutePath(*url);
        size_t looked = 0;
        for (const platform::DirEntry &e : platform::listDirectory(bin)) {
            if (++looked > 10000)
                break;
            if (e.type != platform::EntryType::Symlink)
                continue;
            std::error_code ec;
            fs::path target = fs::read_symlink(e.path, ec);
            if (ec || target.empty())
                continue;
            if (target.is_absolute()) {
                // An absolute link names the real disk; the granted root stands for it.
                target = (*root / target.relative_path()).lexically_normal();
            } else {
                target = (bin / target).lexically_normal();
            }
            if (platform::isWithin(platform::absolutePath(target), bundle))
                add(e.path, kLinkIntoBundle);
        }
    }
    return found;
}

} // namespace zembra::leftovers
