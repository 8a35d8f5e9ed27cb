#include "extensions/screens/ExtensionRemover.h"

#include "extensions/ExtensionRemoval.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverSearch.h"

namespace zembra {

namespace {

std::shared_ptr<ItemRecord> copyOf(ExtensionRemover::Kind kind, const ItemRecord &record) {
    if (kind == ExtensionRemover::Kind::SafariExtension)
        if (auto *safari = dynamic_cast<const SafariItem *>(&record))
            return std::make_shared<SafariItem>(*safari);
    if (auto *plugin = dynamic_cast<const BundleItem *>(&record))
        return std::make_shared<BundleItem>(*plugin);
    return std::make_shared<ItemRecord>(record);
}

} // namespace

ExtensionRemover::ExtensionRemover(Kind kind, platform::SettingsStore &settings, SharedState &state,
                                   QObject *parent, ExtensionRemovalServices services)
    : QObject(parent), m_kind(kind), m_settings(settings), m_state(state),
      m_services(std::move(services)) {
    connect(&m_search, &JobSignals::finished, this, &ExtensionRemover::searchEnded);
    connect(&m_deletion, &JobSignals::finished, this, &ExtensionRemover::deletionEnded);
}

bool ExtensionRemover::start(std::shared_ptr<ItemRecord> record) {
    if (isBusy() || !record)
        return false;
    m_record = std::move(record);
    m_phase = Phase::Searching;
    m_found.reset();
    m_state.setRemainder_urls({});
    // The settings store belongs to the application, which outlives every worker.
    m_search.start([work = copyOf(m_kind, *m_record), &settings = m_settings](const JobControl &) {
        auto found = std::make_shared<Found>();
        const leftovers::SearchResult result = findFilesWithoutReview(*work, settings);
        found->home = result.home.folder;
        found->unreadable = result.unreadable;
        found->files = work->files();
        found->sizes = leftovers::sizesOf(found->files);
        // Rows another installed application uses, those only weak keys found, and the
        // folders holding them start unticked.
        for (const QString &reason : keptWithoutReview(*work, settings))
            found->otherApplication.push_back(!reason.isEmpty());
        found->otherApplication.resize(found->files.size(), false);
        return std::shared_ptr<const Found>(std::move(found));
    });
    return true;
}

void ExtensionRemover::remove(std::vector<FileEntry> files) {
    if (m_phase != Phase::Confirming)
        return;
    m_phase = Phase::Deleting;
    auto work = copyOf(m_kind, *m_record);
    work->setFiles(std::move(files));
    m_deletion.start([work, home = m_found->home, services = m_services,
                      scope = grants::GrantStore(m_settings).deletionScope()](const JobControl &) {
        // The ticked rows, as the user chose them; a Safari extension only when its
        // entry can be dropped from Safari's list too.
        if (auto *safari = dynamic_cast<const SafariItem *>(work.get()))
            return removeSafariFiles(scope, *safari, {}, home, services).remained;
        return removeFoundFiles(scope, *work, {}, services);
    });
}

void ExtensionRemover::cancel() {
    if (m_phase == Phase::Confirming) {
        m_phase = Phase::Idle;
        m_record.reset();
    }
}

void ExtensionRemover::searchEnded() {
    if (m_phase != Phase::Searching)
        return;
    const auto found = m_search.takeResult();
    m_found = found && *found ? *found : std::make_shared<const Found>();
    m_phase = Phase::Confirming;
    emit foundReady();
}

void ExtensionRemover::deletionEnded() {
    if (m_phase != Phase::Deleting)
        return;
    if (auto remained = m_deletion.takeResult())
        m_state.setRemainder_urls(std::move(*remained));
    m_phase = Phase::Idle;
    emit finished();
}

} // namespace zembra
