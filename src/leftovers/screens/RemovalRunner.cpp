#include "leftovers/screens/RemovalRunner.h"

namespace zembra {

RemovalRunner::RemovalRunner(leftovers::RemovalServices services, QObject *parent)
    : QObject(parent), m_services(std::move(services)),
      m_job(new Job<leftovers::RemovalOutcome>(this)) {
    connect(m_job, &JobSignals::progressed, this, &RemovalRunner::progressed);
    connect(m_job, &JobSignals::finished, this, &RemovalRunner::ended);
}

RemovalRunner::~RemovalRunner() = default;

bool RemovalRunner::start(platform::DeletionScope scope, const ApplicationItem &item,
                          std::vector<FileEntry> prepare, std::vector<SizeEntry> clean_size,
                          std::uint64_t common_remove_size) {
    if (m_job->isRunning())
        return false;
    const int entries = int(prepare.size());
    m_job->start([scope = std::move(scope), item, prepare = std::move(prepare),
                  clean_size = std::move(clean_size), common_remove_size,
                  services = m_services](const JobControl &control) mutable {
        services.progress = [&control](size_t done, size_t total) {
            control.setProgress(int(done), int(total));
        };
        services.stopRequested = control.cancelFlag();
        return leftovers::removeSelection(scope, item, prepare, clean_size, common_remove_size,
                                          services);
    });
    emit progressed(0, entries);
    return true;
}

void RemovalRunner::requestStop() {
    m_job->cancel();
}

bool RemovalRunner::stopRequested() const {
    return m_job->isRunning() && m_job->isCancelled();
}

void RemovalRunner::ended() {
    // A removal always ends with its outcome, stopped or not.
    const auto outcome = m_job->takeResult();
    emit finished(outcome.value_or(leftovers::RemovalOutcome{}));
}

} // namespace zembra
