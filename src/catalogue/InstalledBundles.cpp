#include "catalogue/InstalledBundles.h"

#include "catalogue/SortByLabel.h"
#include "platform/FileSystem.h"

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
    if (folder != m_folder) {
        m_known.clear();
        m_folder = folder;
    }
    std::vector<std::string> bundles;
    std::vector<std::string> folders;
    if (folder)
        walk(*folder, 0, bundles, &folders);
    m_folders.assign(folders.begin(), folders.end());
    const Application fields(m_settings);
    ApplicationList records; // in listing order
    records.reserve(bundles.size());
    // Updated in place: each bundle listed now is marked with this refresh's number, and
    // what is not marked afterwards is gone.
    ++m_generation;
    bool changed = bundles.size() != m_known.size();
    std::string infoPath;
    for (std::string &bundle : bundles) {
        // Stamped before reading: a change after the stamp shows as another stamp next time.
        // The Info.plist's is followed, as the reader follows it.
        const auto folderStamp = platform::fileStamp(bundle.c_str(), platform::FollowLinks::No);
        infoPath.assign(bundle).append("/Contents/Info.plist");
        const auto infoStamp = platform::fileStamp(infoPath.c_str(), platform::FollowLinks::Yes);
        auto [known, isNew] = m_known.try_emplace(std::move(bundle));
        Known &k = known->second;
        if (isNew || m_rereadAll || k.lookAgain || k.folder != folderStamp || k.info != infoStamp) {
            const fs::path path(known->first);
            k.record = fields.makeRecord<ApplicationItem>(path, m_reader(path));
            ++m_lastReads;
            changed = true;
        }
        k.folder = folderStamp;
        k.info = infoStamp;
        k.lookAgain = (folderStamp && platform::changedRecently(*folderStamp, m_untrustedWindow)) ||
                      (infoStamp && platform::changedRecently(*infoStamp, m_untrustedWindow));
        k.generation = m_generation;
        records.push_back(k.record);
    }
    if (m_known.size() != records.size()) {
        changed = true;
        std::erase_if(m_known,
                      [&](const auto &entry) { return entry.second.generation != m_generation; });
    }
    if (!changed)
        return false;
    // In listing order, then sorted stably: equal labels keep the order a full listing gives.
    m_applications = std::move(records);
    sortByLabel(m_applications);
    m_untaken = true;
    return true;
}

} // namespace zembra
