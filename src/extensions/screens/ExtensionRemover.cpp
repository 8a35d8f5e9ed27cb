#include "extensions/screens/ExtensionRemover.h"

#include "extensions/ExtensionRemoval.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverSearch.h"

#include <QThreadPool>

namespace zembra {

namespace {

std::shared_ptr<ItemRecord> copyOf(ExtensionRemover::Kind kind, const ItemRecord &record)
{
    if (kind == ExtensionRemover::Kind::SafariExtension)
        if (auto *safari = dynamic_cast<const SafariItem *>(&record))
            return std::make_shared<SafariItem>(*safari);
    if (auto *plugin = dynamic_cast<const BundleItem *>(&record))
        return std::make_shared<BundleItem>(*plugin);
    return std::make_shared<ItemRecord>(record);
}

} // namespace

ExtensionRemover::ExtensionRemover(Kind kind, platform::SettingsStore &settings, SharedState &state, QObject *parent)
    : QObject(parent), m_kind(kind), m_settings(settings), m_state(state)
{
    m_timer.setInterval(kPollMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &ExtensionRemover::poll);
}

bool ExtensionRemover::start(std::shared_ptr<ItemRecord> record)
{
    if (isBusy() || !record)
        return false;
    m_record = std::move(record);
    m_phase = Phase::Searching;
    m_state.setRemainder_urls({});
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto found = std::make_shared<Found>();
    m_done = done;
    m_found = found;
    QThreadPool::globalInstance()->start([done, found, work = copyOf(m_kind, *m_record), &settings = m_settings] {
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
        done->store(true, std::memory_order_release);
    });
    m_timer.start();
    return true;
}

void ExtensionRemover::remove(std::vector<FileEntry> files)
{
    if (m_phase != Phase::Confirming)
        return;
    m_phase = Phase::Deleting;
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_done = done;
    auto work = copyOf(m_kind, *m_record);
    work->setFiles(std::move(files));
    QThreadPool::globalInstance()->start(
        [done, work, home = m_found->home, &state = m_state,
         scope = grants::GrantStore(m_settings).deletionScope()] {
            // The ticked rows, as the user chose them; a Safari extension only when its
            // entry can be dropped from Safari's list too.
            if (auto *safari = dynamic_cast<const SafariItem *>(work.get()))
                removeSafariFiles(scope, *safari, state, {}, home);
            else
                removeFoundFiles(scope, *work, state, {});
            done->store(true, std::memory_order_release);
        });
    m_timer.start();
}

void ExtensionRemover::cancel()
{
    if (m_phase == Phase::Confirming) {
        m_phase = Phase::Idle;
        m_record.reset();
    }
}

void ExtensionRemover::poll()
{
    if (!m_done || !m_done->load(std::memory_order_acquire))
        return;
    m_timer.stop();
    if (m_phase == Phase::Searching) {
        m_phase = Phase::Confirming;
        emit foundReady();
    } else if (m_phase == Phase::Deleting) {
        m_phase = Phase::Idle;
        emit finished();
    }
}

} // namespace zembra
