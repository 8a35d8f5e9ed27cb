#pragma once
// Runs the removal of a reviewed selection as a job (shell/Job.h) so the window keeps
// responding while large folders are deleted. The worker runs the core's removal
// unchanged (running check, deletion pass in list order, completion sound) on its own
// copies of the item and the selection, reads the job's cancel request as its stop
// request, and hands the outcome back as a value; `progressed` and `finished` are
// signalled on the GUI thread. Owned by the review screen; GUI thread only.

#include "catalogue/ItemRecord.h"
#include "leftovers/Removal.h"
#include "shell/Job.h"

#include <QObject>

namespace zembra {

class RemovalRunner : public QObject {
    Q_OBJECT
public:
    explicit RemovalRunner(leftovers::RemovalServices services, QObject *parent = nullptr);
    ~RemovalRunner() override;

    // Starts one removal; false (nothing started) while one is running.
    bool start(platform::DeletionScope scope, const ApplicationItem &item,
               std::vector<FileEntry> prepare, std::vector<SizeEntry> clean_size,
               std::uint64_t common_remove_size);
    bool isRunning() const { return m_job->isRunning(); }
    // Asks the running removal to stop after the entry (or the file of a folder) it is
    // deleting; it then ends as usual, with what it did not delete reported as remaining.
    void requestStop();
    bool stopRequested() const;

signals:
    void progressed(int done, int total);
    void finished(const leftovers::RemovalOutcome &outcome);

private:
    void ended();

    leftovers::RemovalServices m_services;
    Job<leftovers::RemovalOutcome> *m_job;
};

} // namespace zembra
