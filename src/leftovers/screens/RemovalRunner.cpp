#include "leftovers/screens/RemovalRunner.h"

#include <QThreadPool>
#include <QTimer>

#include <atomic>

namespace zembra {

namespace {
// Often enough for the progress bar to move smoothly.
constexpr int kPollMilliseconds = 100;
} // namespace

struct RemovalRunner::Job {
    platform::DeletionScope scope;
    ApplicationItem item;
    std::vector<FileEntry> prepare;
    std::vector<SizeEntry> clean_size;
    std::uint64_t total = 0;
    std::atomic<size_t> done{0};
    std::atomic<bool> finished{false};
    std::atomic<bool> stop{false};
    leftovers::RemovalOutcome outcome; // written by the worker before `finished`
};

RemovalRunner::RemovalRunner(leftovers::RemovalServices services, QObject *parent)
    : QObject(parent), m_services(std::move(services)), m_timer(new QTimer(this)) {
    m_timer->setInterval(kPollMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &RemovalRunner::poll);
}

RemovalRunner::~RemovalRunner() = default;

bool RemovalRunner::start(platform::DeletionScope scope, const ApplicationItem &item, std::vector<FileEntry> prepare,
                          std::vector<SizeEntry> clean_size, std::uint64_t common_remove_size) {
    if (m_job)
        return false;
    auto job = std::make_shared<Job>();
    job->scope = std::move(scope);
    job->item = item;
    job->prepare = std::move(prepare);
    job->clean_size = std::move(clean_size);
    job->total = common_remove_size;
    m_job = job;
    leftovers::RemovalServices services = m_services;
    QThreadPool::globalInstance()->start([job, services]() mutable {
        services.progress = [job](size_t done, size_t) {
            job->done.store(done, std::memory_order_relaxed);
        };
        services.stopRequested = [job] { return job->stop.load(std::memory_order_relaxed); };
        job->outcome = leftovers::removeSelection(job->scope, job->item, job->prepare, job->clean_size,
                                                  job->total, services);
        job->finished.store(true, std::memory_order_release);
    });
    emit progressed(0, int(m_job->prepare.size()));
    m_timer->start();
    return true;
}

void RemovalRunner::requestStop() {
    if (m_job)
        m_job->stop.store(true, std::memory_order_relaxed);
}

bool RemovalRunner::stopRequested() const {
    return m_job && m_job->stop.load(std::memory_order_relaxed);
}

void RemovalRunner::poll() {
    if (!m_job)
        return;
    emit progressed(int(m_job->done.load(std::memory_order_relaxed)), int(m_job->prepare.size()));
    if (!m_job->finished.load(std::memory_order_acquire))
        return;
    m_timer->stop();
    const leftovers::RemovalOutcome outcome = m_job->outcome;
    m_job.reset();
    emit finished(outcome);
}

} // namespace zembra
