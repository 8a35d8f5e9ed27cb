#include "leftovers/SharedEntries.h"

#include "leftovers/LeftoverKeys.h"
#include "leftovers/NameKeys.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>

#include <optional>
#include <unordered_map>

namespace zembra::leftovers {

namespace fs = std::filesystem;

namespace {

// The vendor component of an identifier (com.lumina.sketchpad: lumina); the search may
// have rewritten the record's company_name, so it is derived afresh.
QString vendorOf(const ItemRecord &r) {
    const OptString bundle = r.bundle();
    if (!bundle)
        return r.company_name().value_or(QString());
    const QStringList parts = bundle->split(QLatin1Char('.'));
    return parts.size() > 1 ? parts[1] : *bundle;
}

void addKey(std::vector<SharedEntries::Key> &keys, const OptString &value, bool equals,
            qsizetype minLength) {
    if (!value || value->size() < minLength || *value == fields::kPlaceholder ||
        *value == kSmallLabel)
        return;
    std::string text = equals ? value->toStdString() : platform::foldForMatch(*value);
    if (!text.empty())
        keys.push_back({std::move(text), equals});
}

// Folded text without blanks, "-" and "_": "Nimbus Notes" and "NimbusNotes" meet.
std::string squeezed(std::string_view folded) {
    std::string out;
    for (char c : folded)
        if (c != ' ' && c != '-' && c != '_')
            out += c;
    return out;
}

std::vector<std::string> componentsOf(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dot = text.find('.');; dot = text.find('.', start)) {
        parts.emplace_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos
                                                                            : dot - start));
        if (dot == std::string_view::npos)
            return parts;
        start = dot + 1;
    }
}

// The part of a name after its team-ID prefix, its "group." prefix or both (folded);
// empty when the name has neither.
std::string_view prefixedRest(std::string_view name, std::string_view folded) {
    size_t skip = 0;
    // Both prefixes are ASCII, which folding leaves in place: offsets in the name hold
    // in the folded text.
    if (const size_t team = teamIdPrefixLength(name))
        skip = team + 1;
    if (folded.substr(skip).starts_with("group.") && folded.size() > skip + 6)
        skip += 6;
    return skip ? folded.substr(skip) : std::string_view();
}

// How much a prefixed name's rest ties to `o`: its whole length when it names `o`.
size_t namingTie(const SharedEntries::Owner &o, std::string_view rest) {
    if (rest.empty())
        return 0;
    const std::vector<std::string> parts = componentsOf(rest);
    const bool byIdentifier = !o.identifier.empty() && parts.size() >= o.identifier.size() &&
                              std::equal(o.identifier.begin(), o.identifier.end(), parts.begin());
    const bool byName =
        std::find(o.names.begin(), o.names.end(), squeezed(parts.front())) != o.names.end();
    return byIdentifier || byName ? rest.size() : 0;
}

SharedEntries::Owner ownerOf(const ItemRecord &r, bool isItem) {
    SharedEntries::Owner o;
    o.label = r.label().value_or(QString());
    const qsizetype min = isItem ? 1 : 3;
    if (const OptString bundle = r.bundle()) {
        o.identifier = componentsOf(platform::foldForMatch(*bundle));
        if (o.identifier.size() < 2 || std::find(o.identifier.begin(), o.identifier.end(),
                                                 std::string()) != o.identifier.end())
            o.identifier.clear();
    }
    for (const OptString &v : {r.label(), r.bundle_name_info(), r.executable_info()})
        if (v && *v != fields::kPlaceholder)
            if (std::string name = squeezed(platform::foldForMatch(*v));
                qsizetype(name.size()) >= min)
                o.names.push_back(std::move(name));
    for (const OptString &v :
         {r.bundle(), r.bundle_name_info(), r.label(), r.label_name(), r.executable_info()})
        addKey(o.keys, v, false, min);
    addKey(o.keys, r.bundle_name(), true, min);
    const QString vendor = vendorOf(r);
    addKey(o.keys, companyCapitalized(vendor), true, min);
    if (isItem) {
        if (const OptString label = r.label())
            addKey(o.keys, shortLabel(*label), false, min);
        addKey(o.keys, vendor, false, min);
    }
    // Longest first: the first key that matches is the tie.
    std::stable_sort(o.keys.begin(), o.keys.end(),
                     [](const SharedEntries::Key &a, const SharedEntries::Key &b) {
                         return a.text.size() > b.text.size();
                     });
    return o;
}

size_t tie(const SharedEntries::Owner &o, const std::string &name, const std::string &folded) {
    for (const SharedEntries::Key &k : o.keys)
        if (k.equals ? name == k.text : platform::containsFolded(folded, k.text))
            return k.text.size();
    return 0;
}

} // namespace

QString SharedFlag::text() const {
    return shared ? kShared : others.join(QStringLiteral(", "));
}

QString SharedFlag::keptReason() const {
    return (shared ? kKeptSharedWith : kKeptAlsoUsedBy) + others.join(QStringLiteral(", "));
}

namespace {
std::unique_ptr<const SharedEntries::InstalledOwner>
installedOwner(const std::shared_ptr<ApplicationItem> &app) {
    const auto url = app->url();
    return std::make_unique<const SharedEntries::InstalledOwner>(SharedEntries::InstalledOwner{
        app, url ? platform::absolutePath(*url) : fs::path(), ownerOf(*app, false)});
}

std::shared_ptr<SharedEntries::InstalledOwnerList> derivedList(const ApplicationList &installed) {
    auto list = std::make_shared<SharedEntries::InstalledOwnerList>();
    list->owners.reserve(installed.size());
    list->made.reserve(installed.size());
    for (const auto &app : installed) {
        list->made.push_back(installedOwner(app));
        list->owners.push_back(list->made.back().get());
    }
    list->held = list->made.size();
    return list;
}
} // namespace

SharedEntries::SharedEntries(const ItemRecord &item, const ApplicationList &installed)
    : m_item(ownerOf(item, true)), m_itemPath(item.url().value_or(fs::path())),
      m_installed(derivedList(installed)) {
    leaveOutItem();
}

SharedEntries::SharedEntries(const ItemRecord &item, const InstalledOwners &installed)
    : m_item(ownerOf(item, true)), m_itemPath(item.url().value_or(fs::path())),
      m_installed(installed.m_owners ? installed.m_owners
                                     : std::make_shared<const InstalledOwnerList>()) {
    leaveOutItem();
}

void SharedEntries::leaveOutItem() {
    const fs::path self = platform::absolutePath(m_itemPath);
    m_others.reserve(m_installed->owners.size());
    for (const InstalledOwner *o : m_installed->owners)
        if (!o->path.empty() && o->path != self)
            m_others.push_back(&o->owner);
}

void InstalledOwners::update(const ApplicationList &installed) {
    m_derived = 0;
    if (!m_owners) {
        m_owners = derivedList(installed);
        m_derived = installed.size();
        m_records.clear();
        for (const auto &app : installed)
            m_records.push_back(app.get());
        return;
    }
    const SharedEntries::InstalledOwnerList &old = *m_owners;
    auto list = std::make_shared<SharedEntries::InstalledOwnerList>();
    list->owners.reserve(installed.size());
    std::vector<const ApplicationItem *> records;
    records.reserve(installed.size());
    // The list comes in the same order each time: the record at the cursor is nearly
    // always the one listed now; the index by record is made only when one came or went.
    size_t cursor = 0;
    std::unordered_map<const ApplicationItem *, size_t> byRecord;
    const auto knownAt = [&](const ApplicationItem *record) -> std::optional<size_t> {
        if (cursor < m_records.size() && m_records[cursor] == record)
            return cursor++;
        if (byRecord.empty())
            for (size_t i = 0; i < m_records.size(); ++i)
                byRecord.emplace(m_records[i], i);
        const auto it = byRecord.find(record);
        if (it == byRecord.end())
            return std::nullopt;
        cursor = it->second + 1;
        return it->second;
    };
    for (const auto &app : installed) {
        // Records are not changed once listed: the same object has the same keys.
        if (const auto at = knownAt(app.get())) {
            list->owners.push_back(old.owners[*at]);
        } else {
            list->made.push_back(installedOwner(app));
            list->owners.push_back(list->made.back().get());
            ++m_derived;
        }
        records.push_back(app.get());
    }
    if (list->owners == old.owners)
        return;
    list->earlier = m_owners;
    list->held = old.held + list->made.size();
    // Keys of records long gone are held by the chain: past twice what is listed, the
    // list is derived anew and the chain let go (entries handed out keep theirs).
    if (list->held > 2 * installed.size() + 64) {
        m_owners = derivedList(installed);
        m_derived = installed.size();
    } else {
        m_owners = std::move(list);
    }
    m_records = std::move(records);
}

SharedFlag SharedEntries::flagOf(const fs::path &entry) const {
    SharedFlag flag;
    if (!m_itemPath.empty() &&
        platform::isWithin(platform::absolutePath(entry), platform::absolutePath(m_itemPath), true))
        return flag;
    const std::string name = entry.filename().native();
    const std::string folded = platform::foldForMatch(std::string_view(name));
    const std::string_view rest = prefixedRest(name, folded);
    const size_t own = std::max(tie(m_item, name, folded), namingTie(m_item, rest));
    size_t best = 0;
    for (const Owner *other : m_others) {
        const Owner &o = *other;
        const size_t named = namingTie(o, rest);
        if (named < std::max(own, best) &&
            (o.keys.empty() || o.keys.front().text.size() < std::max(own, best)))
            continue; // cannot tie as much as the item or the best so far
        const size_t t = std::max(named, tie(o, name, folded));
        if (t == 0 || t < best)
            continue;
        if (t > best)
            flag.others.clear();
        best = t;
        if (!flag.others.contains(o.label))
            flag.others.push_back(o.label);
    }
    if (best < own || best == 0)
        flag.others.clear();
    flag.shared = flag.flagged() && best == own;
    return flag;
}

std::vector<SharedFlag> SharedEntries::flagsOf(const std::vector<FileEntry> &files) const {
    std::vector<SharedFlag> flags(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL())
            flags[i] = flagOf(files[i].path());
    // A row inside a flagged folder belongs where the folder does.
    std::vector<size_t> flagged;
    for (size_t i = 0; i < files.size(); ++i)
        if (flags[i].flagged())
            flagged.push_back(i);
    const fs::path self = platform::absolutePath(m_itemPath);
    for (size_t i = 0; !flagged.empty() && i < files.size(); ++i) {
        if (!files[i].isFileURL() || flags[i].flagged() ||
            (!m_itemPath.empty() &&
             platform::isWithin(platform::absolutePath(files[i].path()), self, true)))
            continue;
        for (size_t j : flagged)
            if (platform::isWithin(files[i].path(), files[j].path())) {
                flags[i] = flags[j];
                break;
            }
    }
    return flags;
}

} // namespace zembra::leftovers
