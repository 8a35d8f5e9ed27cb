#include "leftovers/LeftoverSearch.h"

#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/NameKeys.h"
#include "leftovers/ProtectedFolders.h"
#include "leftovers/SearchPasses.h"
#include "leftovers/StandardFolders.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <array>
#include <map>
#include <set>
#include <string>

namespace zembra::leftovers {

namespace {

namespace fs = std::filesystem;
using platform::containsFolded;

using namespace passes;

struct Key {
    QString text;
    std::string utf8;   // for the equals test
    std::string folded; // for the contains test
    bool usable = false;
    bool weak = false; // too common to tie an entry to the item alone
};

Key makeKey(const OptString &value, int minLength) {
    Key k;
    if (!value)
        return k;
    k.text = *value;
    k.utf8 = value->toStdString();
    k.folded = platform::foldForMatch(*value);
    k.usable = !k.folded.empty() && value->size() >= minLength;
    k.weak = isWeakKey(*value);
    return k;
}

// How an entry's name met a pass's tests.
enum class Match { None, WeakOnly, Strong };

Match matchOf(const Key &k, bool matched) {
    return !matched ? Match::None : k.weak ? Match::WeakOnly : Match::Strong;
}

bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// `key` occurs in `folded` as whole words: no letter or digit right before or after it
// ("com.vendor.app.plist", "App Data"; not "com.vendor.app2" or "Appster").
bool containsAsWords(std::string_view folded, std::string_view key) {
    for (size_t at = folded.find(key); at != std::string_view::npos;
         at = folded.find(key, at + 1)) {
        const size_t end = at + key.size();
        if ((at == 0 || !isWordByte(folded[at - 1]) || !isWordByte(key.front())) &&
            (end == folded.size() || !isWordByte(folded[end]) || !isWordByte(key.back())))
            return true;
    }
    return false;
}

// A name that holds a key only inside a longer word ("BSQQRLSYCE" for "ce", "Appster" for
// "app") ties weakly: only whole words tie strongly.
Match containsMatch(const Key &k, std::string_view folded) {
    if (!containsFolded(folded, k.folded))
        return Match::None;
    return !k.weak && containsAsWords(folded, k.folded) ? Match::Strong : Match::WeakOnly;
}

// foldForMatch into a buffer the caller keeps: a walk tests most names and keeps few.
std::string_view foldName(std::string_view name, std::string &buffer) {
    buffer.assign(name);
    for (char &ch : buffer) {
        const auto u = static_cast<unsigned char>(ch);
        if (u >= 0x80) {
            buffer = platform::foldForMatch(name);
            break;
        }
        if (u >= 'A' && u <= 'Z')
            ch = char(u + ('a' - 'A'));
    }
    return buffer;
}

// A listed folder's names, each folded once for every test against it; paths are made
// only for the names that match.
struct ListedFolder {
    fs::path folder;
    platform::FolderListing names;
    std::string folded; // the folded names, packed
    std::vector<std::pair<std::uint32_t, std::uint32_t>> foldedAt;

    std::string_view foldedName(size_t i) const {
        return std::string_view(folded).substr(foldedAt[i].first, foldedAt[i].second);
    }
};

class Search {
public:
    Search(ItemRecord &record, platform::SettingsStore &settings, SearchMode mode,
           const std::function<bool()> &cancelled)
        : m_record(record), m_settings(settings), m_mode(mode), m_cancelled(cancelled) {}

    SearchResult run() {
        m_record.setFiles({}); // a search starts afresh, never extends
        grants::GrantStore store(m_settings);
        const grants::Resolution home = store.resolve(grants::kHome);
        const grants::Resolution root = store.resolve(grants::kMacOS);
        m_home = home.folder;
        m_root = root.folder;
        m_systemAllowed = m_root && store.systemFoldersAllowed(root);
        m_applications = store.resolve(grants::kApplications).folder;

        SearchResult result{home, {}, false, nullptr};
        for (const auto &granted : {m_home, m_systemAllowed ? m_root : std::nullopt})
            if (granted)
                for (const fs::path &folder : {*granted, *granted / "Library"})
                    if (platform::isUnreadableFolder(folder))
                        result.unreadable.push_back(folder);
        noteFoldersReadBySearch();

        deriveKeys();
        append(FileEntry::word(kExecutables));
        if (const auto url = m_record.url())
            append(FileEntry::file(*url));

        for (const Pass &pass : passes::all()) {
            if (m_cancelled && m_cancelled()) {
                result.cancelled = true;
                return result;
            }
            runPass(pass);
        }
        if (m_cancelled && m_cancelled()) {
            result.cancelled = true;
            return result;
        }
        // Whatever a record or a pass names, a granted folder, a Library folder or a
        // standard folder is never listed (a record's path may be the home itself).
        std::vector<fs::path> granted;
        for (const auto &folder : {m_home, m_root, m_applications})
            if (folder)
                granted.push_back(*folder);
        const ProtectedFolders guard(granted);
        strongestTieWins(m_files, m_weakRows);
        std::vector<FileEntry> kept = withoutProtected(m_files, guard, &m_weakRows);
        m_record.setFiles(std::move(kept), m_weakRows);
        auto listings = std::make_shared<FolderListings>();
        for (auto &[folder, listed] : m_listings)
            listings->emplace(folder, std::move(listed.names));
        m_listings.clear();
        result.listings = std::move(listings);
        return result;
    }

private:
    // The folders the passes list or enumerate, and the grants: none of them, nor a folder
    // holding one, is ever a leftover.
    void noteFoldersReadBySearch() {
        for (const auto &granted : {m_home, m_root, m_applications})
            if (granted)
                for (const fs::path &form : {*granted, platform::absolutePath(*granted)})
                    m_readFolders.push_back(form.native());
        for (const Pass &pass : passes::all())
            if (pass.special == Special::None && (pass.root == Root::Home || m_systemAllowed))
                if (const auto folder = folderOf(pass))
                    m_readFolders.push_back(folder->native());
        for (const auto &base : {m_home, m_root})
            if (base)
                m_roots.push_back(*base);
    }

    // A standard or shared folder of a home or system Library folder, a per-user root of
    // var/folders, or a folder the search reads (or one above it): every application
    // keeps data there.
    bool neverALeftover(std::string_view path) const {
        if (isProtectedFolder(fs::path(std::string(path)), m_roots))
            return true;
        for (const std::string &folder : m_readFolders)
            if (folder == path ||
                (folder.size() > path.size() && folder.compare(0, path.size(), path) == 0 &&
                 (folder[path.size()] == '/' || path.back() == '/')))
                return true;
        return false;
    }

    void deriveKeys() {
        const int minLength = m_mode == SearchMode::WithoutReview ? 3 : 0;
        const OptString company = m_record.company_name();
        const OptString label = m_record.label();
        auto set = [&](KeyId id, const OptString &v) {
            m_keys[size_t(id)] = makeKey(v, minLength);
        };
        set(KeyId::Bundle, m_record.bundle());
        set(KeyId::BundleName, m_record.bundle_name());
        set(KeyId::BundleNameInfo, m_record.bundle_name_info());
        set(KeyId::Label, label);
        set(KeyId::LabelName, m_record.label_name());
        set(KeyId::ExecutableInfo, m_record.executable_info());
        set(KeyId::CompanyCapitalized,
            company ? OptString(companyCapitalized(*company)) : std::nullopt);
        set(KeyId::ShortLabel, label ? OptString(shortLabel(*label)) : std::nullopt);
        // The "apple" rule changes the record for good, after the capitalised key is made.
        if (company && *company == kAppleCompany)
            m_record.setCompany_name(kAppleCompanyReplacement);
        set(KeyId::CompanyName, m_record.company_name());
        // A vendor's name is not the application's: every product of the vendor shares its
        // folders (Caches/Vendor), so a match by it alone ties weakly, unless the
        // application is named like its vendor.
        const std::string labelFolded = label ? platform::foldForMatch(*label) : std::string();
        for (KeyId id : {KeyId::CompanyName, KeyId::CompanyCapitalized})
            if (m_keys[size_t(id)].folded != labelFolded)
                m_keys[size_t(id)].weak = true;
        m_proInBundleName = containsFolded(key(KeyId::BundleName).folded, "pro");
    }

    const Key &key(KeyId id) const { return m_keys[size_t(id)]; }

    // Strong as soon as one strong key matches; weak only when nothing else did.
    Match matches(const Pass &pass, std::string_view name, std::string_view folded) const {
        Match found = Match::None;
        for (const Test &t : pass.tests) {
            if (t.reviewOnly && m_mode == SearchMode::WithoutReview)
                continue;
            const Key &k = key(t.key);
            if (!k.usable)
                continue;
            const Match m = t.equals ? matchOf(k, name == k.utf8) : containsMatch(k, folded);
            if (m == Match::Strong)
                return m;
            found = std::max(found, m);
        }
        return found;
    }

    std::optional<fs::path> folderOf(const Pass &pass) const {
        const auto &base = pass.root == Root::Home ? m_home : m_root;
        if (!base)
            return std::nullopt;
        return *base / pass.folder;
    }

    void append(FileEntry entry, bool weakOnly = false) {
        m_files.push_back(std::move(entry));
        m_weakRows.push_back(weakOnly);
    }

    void appendMarkerOnce(Group g) {
        if (m_flagCleared[size_t(g)])
            return;
        m_flagCleared[size_t(g)] = true;
        append(FileEntry::word(markerOf(g)));
    }

    static bool pathContains(std::string_view path, std::string_view foldedWord) {
        return containsFolded(platform::foldForMatch(path), foldedWord);
    }

    // Keeps the entries of a numbered sibling application ("Product 2") out of the
    // Application Support pass. Indices count UTF-16 code units; an index that does not
    // exist lets the entry in.
    bool labelDigitRule(std::string_view nameBytes, std::string_view folded) const {
        const Key &label = key(KeyId::Label);
        if (!label.usable || !containsFolded(folded, label.folded))
            return true;
        const QString name = platform::decodeUtf8(nameBytes);
        const qsizetype n = name.size();
        const qsizetype k = label.text.size();
        const bool haveAB = k >= 2 && n >= 2;
        const bool abEqual = haveAB && label.text.at(k - 2) == name.at(n - 2);
        if (n > k) {
            if (k + 1 >= n)
                return true;
            const QChar c = name.at(k + 1);
            const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
            return !digit || !haveAB || abEqual;
        }
        return !haveAB || abEqual;
    }

    // `pathOf()` gives the entry's path: made only once the name matched.
    template <class PathOf>
    void consider(const Pass &pass, const PathOf &pathOf, std::string_view name,
                  std::string_view folded) {
        const Match match = matches(pass, name, folded);
        if (match == Match::None)
            return;
        const std::string_view path = pathOf();
        // These drop an entry before it can bring in its group's marker.
        if (neverALeftover(path))
            return;
        if (pass.extra == Extra::CsxsExclusion && pathContains(path, "csxs"))
            return;
        if (pass.extra == Extra::ExtensionRule && !platform::nameExtension(name).empty())
            return;
        appendMarkerOnce(pass.group);
        if (pass.extra == Extra::Pro && containsFolded(folded, "pro") && !m_proInBundleName)
            return;
        if (pass.extra == Extra::CrashReporterThenLabelDigit &&
            (pathContains(path, "crashreporter") || !labelDigitRule(name, folded)))
            return;
        append(FileEntry::file(fs::path(std::string(path))), match == Match::WeakOnly);
    }

    const ListedFolder &listing(const fs::path &folder) {
        auto it = m_listings.find(folder);
        if (it != m_listings.end())
            return it->second;
        ListedFolder listed{folder, platform::listNames(folder), {}, {}};
        listed.foldedAt.reserve(listed.names.size());
        std::string buffer;
        for (size_t i = 0; i < listed.names.size(); ++i) {
            const std::string_view f = foldName(listed.names.name(i), buffer);
            listed.foldedAt.emplace_back(std::uint32_t(listed.folded.size()),
                                         std::uint32_t(f.size()));
            listed.folded.append(f);
        }
        return m_listings.emplace(folder, std::move(listed)).first->second;
    }

    void runPass(const Pass &pass) {
        if (m_mode == SearchMode::WithoutReview && !pass.runsWithoutReview)
            return;
        if (pass.root == Root::System && !m_systemAllowed)
            return;
        switch (pass.special) {
        case Special::EnclosingFolder:
            return enclosingFolder();
        case Special::DeveloperFolder:
            if (m_home && m_record.bundle() == kXcodeIdentifier)
                append(FileEntry::file(*folderOf(pass)));
            return;
        case Special::LoginItems:
            return loginItems();
        case Special::None:
            break;
        }
        const auto folder = folderOf(pass);
        if (!folder)
            return;
        if (pass.read == Read::Listing) {
            const ListedFolder &listed = listing(*folder);
            std::string path;
            for (size_t i = 0; i < listed.names.size(); ++i)
                consider(
                    pass,
                    [&]() -> std::string_view {
                        return path = listed.names.pathOf(listed.folder, i);
                    },
                    listed.names.name(i), listed.foldedName(i));
            return;
        }
        const auto options = pass.read == Read::Deep6
                                 ? platform::EnumerationOptions::SkipHiddenAndPackageDescendants
                                 : platform::EnumerationOptions::SkipHidden;
        // The name tests run on the walk's threads; the rules that follow a match, which
        // depend on what came before, run here in walk order.
        const std::vector<platform::FoundEntry> found = platform::findDeep(
            *folder, options,
            [&](std::string_view name, platform::EntryType) {
                thread_local std::string buffer;
                return matches(pass, name, foldName(name, buffer)) != Match::None;
            },
            m_cancelled);
        std::string buffer;
        for (const platform::FoundEntry &e : found)
            consider(
                pass, [&e]() -> std::string_view { return e.path; }, e.name(),
                foldName(e.name(), buffer));
    }

    // True when `folder` is a granted folder or holds one: never a leftover of one item.
    bool holdsAGrant(const fs::path &folder) const {
        const fs::path f = platform::absolutePath(folder);
        for (const auto &granted : {m_home, m_root, m_applications})
            if (granted && platform::isWithin(platform::absolutePath(*granted), f, true))
                return true;
        return false;
    }

    // Any entry named *.app in the folder or below it, other than the item itself.
    static bool holdsAnotherApplication(const fs::path &folder, const fs::path &item) {
        const std::string itself = platform::absolutePath(item).native();
        bool found = false;
        platform::enumerateDeep(
            folder, platform::EnumerationOptions::SkipHiddenAndPackageDescendants,
            [&](const platform::VisitedEntry &e) {
                if (!found && platform::nameExtension(e.name) == "app" && e.path != itself)
                    found = true;
            });
        return found;
    }

    // An application kept in a folder of its own brings that folder in. Not a folder that
    // holds other applications, at any depth (Games/Chess.app would take every game with
    // it), not a
    // granted folder or one above it, and not because of the application's own name.
    void enclosingFolder() {
        const auto url = m_record.url();
        if (!url)
            return;
        const fs::path parent = url->parent_path();
        if (parent.empty() || platform::lastComponent(parent) == QLatin1String("Applications"))
            return;
        if (!platform::localizedStandardContains(platform::displayPath(parent),
                                                 QStringLiteral("Applications")))
            return;
        if (holdsAGrant(parent) || neverALeftover(parent.native()))
            return;
        if (holdsAnotherApplication(parent, *url))
            return;
        appendMarkerOnce(Group::Supportfiles);
        append(FileEntry::file(parent));
    }

    // Helper applications in the bundle's LoginItems folder have containers and scripts
    // of their own.
    void loginItems() {
        const auto url = m_record.url();
        if (!url || !m_home)
            return;
        const fs::path folder = *url / "Contents/Library/LoginItems";
        if (!platform::isRealDirectory(folder))
            return;
        const Application enumerator(m_settings);
        const Key &mainBundle = key(KeyId::Bundle);
        for (const platform::DirEntry &e : platform::listDirectory(folder)) {
            if (platform::nameExtension(e.name()) != "app")
                continue;
            const auto helper = enumerator.application(e.path);
            const Key helperBundle = makeKey(helper->bundle(), 0);
            const Key helperName = makeKey(helper->bundle_name(), 0);
            if (mainBundle.usable && helperBundle.usable &&
                containsFolded(helperBundle.folded, mainBundle.folded))
                continue;
            const bool namePro = containsFolded(helperName.folded, "pro");
            const bool namePlus = containsFolded(helperName.folded, "plus");
            for (const char *where : {"Library/Containers", "Library/Application Scripts"}) {
                const ListedFolder &listed = listing(*m_home / where);
                for (size_t i = 0; i < listed.names.size(); ++i) {
                    const std::string_view folded = listed.foldedName(i);
                    const Match match = std::max(
                        matchOf(helperBundle,
                                helperBundle.usable && containsFolded(folded, helperBundle.folded)),
                        matchOf(helperName,
                                helperName.usable && containsFolded(folded, helperName.folded)));
                    if (match == Match::None)
                        continue;
                    const std::string path = listed.names.pathOf(listed.folder, i);
                    if (neverALeftover(path))
                        continue;
                    appendMarkerOnce(Group::Supportfiles);
                    const bool pro = containsFolded(folded, "pro");
                    const bool plus = containsFolded(folded, "plus");
                    if ((!pro && !plus) || (pro && namePro) || (plus && namePlus))
                        append(FileEntry::file(fs::path(path)), match == Match::WeakOnly);
                }
            }
        }
    }

    ItemRecord &m_record;
    platform::SettingsStore &m_settings;
    const SearchMode m_mode;
    const std::function<bool()> &m_cancelled;
    std::optional<fs::path> m_home;
    std::optional<fs::path> m_root;
    std::optional<fs::path> m_applications;
    bool m_systemAllowed = false;
    std::array<Key, size_t(KeyId::Count)> m_keys;
    bool m_proInBundleName = false;
    std::array<bool, size_t(Group::Count)> m_flagCleared{};
    std::vector<FileEntry> m_files;
    std::vector<bool> m_weakRows; // one per row of m_files
    std::map<fs::path, ListedFolder> m_listings;
    std::vector<std::string> m_readFolders;
    std::vector<fs::path> m_roots; // the home and the disk's root, as granted
};

} // namespace

SearchResult searchLeftovers(ItemRecord &record, platform::SettingsStore &settings, SearchMode mode,
                             const std::function<bool()> &cancelled) {
    Search search(record, settings, mode, cancelled);
    SearchResult result = search.run();
    if (mode == SearchMode::Review && !result.cancelled) {
        record.setSizes(sizesOf(record.files(), cancelled));
        result.cancelled = cancelled && cancelled();
    }
    return result;
}

void strongestTieWins(const std::vector<FileEntry> &files, std::vector<bool> &weak,
                      const std::vector<fs::path> &strong) {
    std::set<std::string_view> tied;
    for (const fs::path &p : strong)
        tied.insert(p.native());
    for (size_t i = 0; i < files.size() && i < weak.size(); ++i)
        if (!weak[i] && files[i].isFileURL())
            tied.insert(files[i].path().native());
    for (size_t i = 0; i < files.size() && i < weak.size(); ++i)
        if (weak[i] && files[i].isFileURL() && tied.count(files[i].path().native()))
            weak[i] = false;
}

std::vector<SizeEntry> sizesOf(const std::vector<FileEntry> &files,
                               const std::function<bool()> &cancelled) {
    std::vector<SizeEntry> sizes;
    sizes.reserve(files.size());
    std::map<fs::path, std::uint64_t> known; // a deep pass may list an entry twice
    for (const FileEntry &f : files) {
        if (!f.isFileURL()) {
            sizes.push_back(SizeEntry::marker(f.absoluteString()));
            continue;
        }
        auto it = known.find(f.path());
        if (it == known.end()) {
            const bool stop = cancelled && cancelled();
            it = known.emplace(f.path(), stop ? 0 : platform::itemSize(f.path())).first;
        }
        sizes.push_back(SizeEntry::bytes(it->second));
    }
    return sizes;
}

void getfiles(ApplicationItem &item, platform::SettingsStore &settings,
              const std::function<void(bool)> &completion) {
    searchLeftovers(item, settings, SearchMode::Review);
    if (completion)
        completion(true);
}

} // namespace zembra::leftovers
