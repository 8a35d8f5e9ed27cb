#include "catalogue/InstalledBundles.h"

#include "catalogue/SortByLabel.h"
#include "platform/FileSystem.h"

namespace zembra {

namespace fs = std::filesystem;

namespace {

bool isApp(const platform::DirEntry &e) {
    return e.type == platform::EntryType::Directory && platform::nameExtension(e.name()) == "app";
}

void bundlesIn(const fs::path &folder, int depth, std::vector<fs::path> &out) {
    for (const platform::DirEntry &e : platform::listDirectory(folder)) {
        if (isApp(e))
            out.push_back(e.path);
        else if (depth > 1)
            bundlesIn(e.path, depth - 1, out);
    }
}

} // namespace

std::vector<fs::path> everyApplicationBundle(const fs::path &folder) {
    std::vector<fs::path> out;
    for (const platform::DirEntry &e : platform::listDirectory(folder)) {
        if (isApp(e))
            out.push_back(e.path);
        else
            bundlesIn(e.path, e.name() == "Utilities" ? 3 : 2, out);
    }
    return out;
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
    const std::vector<fs::path> bundles =
        folder ? everyApplicationBundle(*folder) : std::vector<fs::path>{};
    const Application fields(m_settings);
    std::unordered_map<std::string, Known> next;
    next.reserve(bundles.size());
    bool changed = bundles.size() != m_known.size();
    std::string infoPath;
    for (const fs::path &bundle : bundles) {
        Known now;
        // Stamped before reading: a change after the stamp shows as another stamp next time.
        // The Info.plist's is followed, as the reader follows it.
        now.folder = platform::fileStamp(bundle.c_str(), platform::FollowLinks::No);
        infoPath.assign(bundle.native()).append("/Contents/Info.plist");
        now.info = platform::fileStamp(infoPath.c_str(), platform::FollowLinks::Yes);
        now.lookAgain = (now.folder && platform::changedRecently(*now.folder, m_untrustedWindow)) ||
                        (now.info && platform::changedRecently(*now.info, m_untrustedWindow));
        const auto known = m_known.find(bundle.native());
        if (!m_rereadAll && known != m_known.end() && !known->second.lookAgain &&
            known->second.folder == now.folder && known->second.info == now.info) {
            now.record = known->second.record;
        } else {
            now.record = fields.makeRecord<ApplicationItem>(bundle, m_reader(bundle));
            ++m_lastReads;
            changed = true;
        }
        next.insert_or_assign(bundle.native(), std::move(now));
    }
    // The same count with another set of paths: a bundle renamed or replaced by another name.
    if (!changed)
        for (const auto &[path, known] : m_known)
            if (!next.count(path)) {
                changed = true;
                break;
            }
    m_known = std::move(next);
    if (!changed)
        return false;
    // In listing order, then sorted stably: equal labels keep the order a full listing gives.
    m_applications.clear();
    m_applications.reserve(bundles.size());
    for (const fs::path &bundle : bundles)
        m_applications.push_back(m_known.at(bundle.native()).record);
    sortByLabel(m_applications);
    m_untaken = true;
    return true;
}

} // namespace zembra
