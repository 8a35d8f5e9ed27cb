#include "catalogue/InstalledBundles.h"

#include "catalogue/SortByLabel.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <unordered_set>

namespace zembra {

namespace fs = std::filesystem;

namespace {

bool isAppName(std::string_view name) {
    return platform::nameExtension(name) == "app";
}

// Packed listings, no path object per entry: with thousands of bundles in one folder the
// walk is mostly this. Below the top, `depth` levels are looked into (the top's own
// subfolders count as one; Utilities is looked into one level deeper); `folders` gets
// every subfolder looked into, in listing order. Only folders are entered: a listing of
// anything else is empty.
void walk(const fs::path &folder, int depth, std::vector<std::string> &bundles,
          std::vector<std::string> *folders) {
    const platform::FolderListing listing = platform::listNames(folder);
    for (size_t i = 0; i < listing.size(); ++i) {
        if (listing.type(i) != platform::EntryType::Directory)
            continue;
        std::string path = listing.pathOf(folder, i);
        if (isAppName(listing.name(i))) {
            bundles.push_back(std::move(path));
            continue;
        }
        const int below = depth == 0 ? (listing.name(i) == "Utilities" ? 3 : 2) : depth - 1;
        if (below < 1)
            continue;
        if (folders)
            folders->push_back(path);
        walk(fs::path(std::move(path)), below, bundles, folders);
    }
}

} // namespace

std::vector<fs::path> everyApplicationBundle(const fs::path &folder) {
    std::vector<std::string> bundles;
    walk(folder, 0, bundles, nullptr);
    return std::vector<fs::path>(bundles.begin(), bundles.end());
}

InstalledBundles::InstalledBundles(platform::SettingsStore &settings, Reader reader, bool rereadAll,
                                   std::chrono::nanoseconds untrustedWindow)
    : m_settings(settings),
      m_reader(reader ? std::move(reader) : Reader(&platform::BundleInfo::read)),
      m_rereadAll(rereadAll), m_untrustedWindow(untrustedWindow) {}

bool InstalledBundles::refresh(const std::optional<fs::path> &folder) {
    m_lastReads = 0;
    // Another folder (or none): whatever it lists, the list is another one.
    bool changed = folder != m_folder;
    if (changed) {
        m_known.clear();
        m_folder = folder;
    }
    std::vector<std::string> bundles;
    std::vector<std::string> folders;
    if (folder)
        walk(*folder, 0, bundles, &folders);
    m_folders.assign(folders.begin(), folders.end());
    const Application fields(m_settings);
    std::vector<std::pair<std::string, Known>> next;
    next.reserve(bundles.size());
    // The listing comes in the same order each time: the bundle known at the cursor is
    // nearly always the one listed now; the index by path is made only when one came or went.
    size_t cursor = 0;
    size_t found = 0;
    std::vector<bool> matched(m_known.size(), false);
    std::vector<size_t> byPath;
    const auto knownAs = [&](const std::string &path) -> Known * {
        if (cursor < m_known.size() && m_known[cursor].first == path) {
            matched[cursor] = true;
            return &m_known[cursor++].second;
        }
        if (byPath.empty() && !m_known.empty()) {
            byPath.resize(m_known.size());
            for (size_t i = 0; i < byPath.size(); ++i)
                byPath[i] = i;
            std::sort(byPath.begin(), byPath.end(),
                      [&](size_t x, size_t y) { return m_known[x].first < m_known[y].first; });
        }
        const auto at =
            std::lower_bound(byPath.begin(), byPath.end(), path,
                             [&](size_t i, const std::string &p) { return m_known[i].first < p; });
        if (at == byPath.end() || m_known[*at].first != path)
            return nullptr;
        cursor = *at + 1;
        matched[*at] = true;
        return &m_known[*at].second;
    };
    std::string infoPath;
    for (std::string &bundle : bundles) {
        Known now;
        // Stamped before reading: a change after the stamp shows as another stamp next time.
        // The Info.plist's is followed, as the reader follows it.
        now.folder = platform::fileStamp(bundle.c_str(), platform::FollowLinks::No);
        infoPath.assign(bundle).append("/Contents/Info.plist");
        now.info = platform::fileStamp(infoPath.c_str(), platform::FollowLinks::Yes);
        now.lookAgain = (now.folder && platform::changedRecently(*now.folder, m_untrustedWindow)) ||
                        (now.info && platform::changedRecently(*now.info, m_untrustedWindow));
        Known *known = knownAs(bundle);
        if (known)
            ++found;
        if (!m_rereadAll && known && !known->lookAgain && known->folder == now.folder &&
            known->info == now.info) {
            now.record = std::move(known->record);
        } else {
            const fs::path path(bundle);
            now.record = fields.makeRecord<ApplicationItem>(path, m_reader(path));
            ++m_lastReads;
            changed = true;
        }
        next.emplace_back(std::move(bundle), std::move(now));
    }
    // Every bundle known before listed again, and no other: the same set.
    if (found != m_known.size() || next.size() != m_known.size())
        changed = true;
    if (!changed) {
        m_known = std::move(next);
        return false;
    }
    if (m_lastReads != 0 || found != next.size() || found == 0) {
        // In listing order, then sorted stably: equal labels keep the order a full
        // listing gives.
        ApplicationList records;
        records.reserve(next.size());
        for (const auto &[path, known] : next)
            records.push_back(known.record);
        m_applications = std::move(records);
        sortByLabel(m_applications);
    } else {
        // Only bundles gone: taking them out of the sorted list leaves it as a full
        // listing sorts it, without touching the ten thousand that stay.
        std::unordered_set<const ApplicationItem *> gone;
        for (size_t i = 0; i < m_known.size(); ++i)
            if (!matched[i])
                gone.insert(m_known[i].second.record.get());
        std::erase_if(m_applications, [&](const std::shared_ptr<ApplicationItem> &a) {
            return gone.count(a.get()) != 0;
        });
    }
    m_known = std::move(next);
    m_untaken = true;
    return true;
}

} // namespace zembra
