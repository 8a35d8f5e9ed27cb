#pragma once
// One removal at a time of a plug-in or a Safari extension, for a list screen: first the
// search for what the removal would delete (on a worker), then, once the user has
// confirmed the ticked entries, their deletion and, for a Safari extension, the rewrite
// of Safari's list without it (on a worker too). Each step is a job (shell/Job.h) whose
// end is signalled. The workers work on their own copies of the record and hand back
// values only: what was found, and what remained of the item, which the GUI thread then
// puts into the shared `remainder_urls`. A worker never writes into the shared state, so
// destroying the remover (quitting) while a step runs leaves nothing to write into.
// GUI thread only.

#include "catalogue/ItemRecord.h"
#include "extensions/ExtensionRemoval.h"
#include "platform/SettingsStore.h"
#include "shell/Job.h"
#include "shell/SharedState.h"

#include <QObject>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace zembra {

class ExtensionRemover : public QObject {
    Q_OBJECT
public:
    enum class Kind { Plugin, SafariExtension };
    // `services` are what the deletion runs on (the platform's by default).
    ExtensionRemover(Kind kind, platform::SettingsStore &settings, SharedState &state,
                     QObject *parent = nullptr, ExtensionRemovalServices services = {});

    // From the first step's start to the end of the deletion (or a cancel).
    bool isBusy() const { return m_phase != Phase::Idle; }
    std::shared_ptr<ItemRecord> record() const { return m_record; }

    // Starts the search for what removing `record` would delete; false when busy.
    bool start(std::shared_ptr<ItemRecord> record);

    // What the search found, once `found` has been emitted.
    struct Found {
        std::vector<FileEntry> files;
        std::vector<SizeEntry> sizes;
        std::vector<bool>
            otherApplication; // per index: another application's entry, or a weak match
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
    void searchEnded();
    void deletionEnded();

    Kind m_kind;
    platform::SettingsStore &m_settings;
    SharedState &m_state;
    ExtensionRemovalServices m_services;
    Phase m_phase = Phase::Idle;
    std::shared_ptr<ItemRecord> m_record;
    std::shared_ptr<const Found> m_found;
    Job<std::shared_ptr<const Found>> m_search;
    // What remained of the item (empty when it went).
    Job<std::vector<FileEntry>> m_deletion;
};

} // namespace zembra
