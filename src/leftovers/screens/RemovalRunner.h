#pragma once
// Runs the removal of a reviewed selection on a worker so the window keeps responding
// while large folders are deleted. The worker runs the core's removal unchanged (running
// check, deletion pass in list order, completion sound) and writes only its own job
// record, which it owns a share of: progress counters and, at the end, the outcome and an
// atomic done flag; it reads the job's stop flag. A timer on the GUI thread polls them
// and reports `progressed` and `finished` there.
// Owned by the review screen; GUI thread only.

#include "catalogue/ItemRecord.h"
#include "leftovers/Removal.h"

#include <QObject>

#include <memory>

class QTimer;

namespace zembra {

class RemovalRunner : public QObject {
    Q_OBJECT
public:
    explicit RemovalRunner(leftovers::RemovalServices services, QObject *parent = nullptr);
    ~RemovalRunner() override;

    // Starts one removal; false (nothing started) while one is running.
    bool start(platform::DeletionScope scope, const ApplicationItem &item, std::vector<FileEntry> prepare,
               std::vector<SizeEntry> clean_size, std::uint64_t common_remove_size);
    bool isRunning() const { return m_job != nullptr; }
    // Asks the running removal to stop after the entry (or the file of a folder) it is
    // deleting; it then ends as usual, with what it did not delete reported as remaining.
    void requestStop();
    bool stopRequested() const;

signals:
    void progressed(int done, int total);
    void finished(const leftovers::RemovalOutcome &outcome);

private:
    struct Job;
    void poll();

    leftovers::RemovalServices m_services;
    std::shared_ptr<Job> m_job;
    QTimer *m_timer;
};

} // namespace zembra
