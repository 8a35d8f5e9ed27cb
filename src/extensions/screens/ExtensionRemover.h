#pragma once
// One removal at a time of a plug-in or a Safari extension, for a list screen: first the
// search for what the removal would delete (on a worker), then, once the user has
// confirmed the ticked entries, their deletion and, for a Safari extension, the rewrite
// of Safari's list without it (on a worker too). A 0.3-second timer on the GUI thread
// polls an atomic flag for each step's end. The worker works on its own copy of the
// record and writes only its own result and the shared `remainder_urls`.
// GUI thread only.

#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"
#include "shell/SharedState.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace zembra {

class ExtensionRemover : public QObject {
    Q_OBJECT
public:
    enum class Kind { Plugin, SafariExtension };
    static constexpr int kPollMilliseconds = 300;

    ExtensionRemover(Kind kind, platform::SettingsStore &settings, SharedState &state, QObject *parent = nullptr);

    // From the first step's start to the last poll of the deletion (or a cancel).
    bool isBusy() const { return m_phase != Phase::Idle; }
    std::shared_ptr<ItemRecord> record() const { return m_record; }

    // Starts the search for what removing `record` would delete; false when busy.
    bool start(std::shared_ptr<ItemRecord> record);

    // What the search found, once `found` has been emitted.
    struct Found {
        std::vector<FileEntry> files;
        std::vector<SizeEntry> sizes;
        std::vector<bool> otherApplication; // per index: another application's entry, or a weak match
        std::optional<std::filesystem::path> home;
        // Granted folders the search could not read: the list may be incomplete.
        std::vector<std::filesystem::path> unreadable;
    };
    const Found &found() const { return *m_found; }

    // Deletes `files` (a selection of what was found) and drops the Safari list entry.
    void remove(std::vector<FileEntry> files);
    // Ends the removal before anything was deleted.
    void cancel();

signals:
    void foundReady();
    // The deletion has ended; `remainder_urls` holds what remained of the item.
    void finished();

private:
    enum class Phase { Idle, Searching, Confirming, Deleting };
    void poll();

    Kind m_kind;
    platform::SettingsStore &m_settings;
    SharedState &m_state;
    Phase m_phase = Phase::Idle;
    std::shared_ptr<ItemRecord> m_record;
    std::shared_ptr<Found> m_found;
    std::shared_ptr<std::atomic<bool>> m_done;
    QTimer m_timer;
};

} // namespace zembra
