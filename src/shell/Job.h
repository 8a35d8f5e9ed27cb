#pragma once
// One background task of a screen: the work runs once on a worker of the global thread
// pool and hands its result back as a value; the job reports progress and signals
// `finished` on the thread the job lives on (the GUI thread), where the result is taken.
//
// Ownership: the screen owns the job (a Qt child); the work owns a share of everything it
// reads or writes (it captures values and shared pointers, never the screen, a widget or
// a reference into an object the screen owns). Destroying the job never waits: it cancels
// the work and drops the connection, and the worker finishes on its own shares, its result
// discarded. Cancelling is a request the work reads between steps (`JobControl`); a work
// that honours it still returns a result (partial, or the outcome of what it did), so a
// removal stopped midway still reports what it did.
//
// A work may instead hand its result over in parts (`startInBatches`): each part the work
// reports arrives on the GUI thread in the order reported (`batchesReady`, then
// `takeBatches`), so a screen shows the first rows while the rest is still read.
// `finished` follows the last part; nothing arrives from a job once it is destroyed.
//
// The job object itself is GUI-thread only; `JobControl` is the worker's side.

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zembra {

// What the work sees on its worker: the cancel request and a progress report.
class JobControl {
public:
    JobControl(std::shared_ptr<const std::atomic<bool>> cancel,
               std::function<void(int, int)> progress)
        : m_cancel(std::move(cancel)), m_progress(std::move(progress)) {}

    bool cancelled() const { return m_cancel->load(std::memory_order_relaxed); }
    // The request as a function, for core code that takes a stop callback; it holds its
    // own share of the flag.
    std::function<bool()> cancelFlag() const {
        return [flag = m_cancel] { return flag->load(std::memory_order_relaxed); };
    }
    // `done` of `total` steps are done (throttled on the way to the GUI thread).
    void setProgress(int done, int total) const { m_progress(done, total); }

private:
    std::shared_ptr<const std::atomic<bool>> m_cancel;
    std::function<void(int, int)> m_progress;
};

// What a work that hands its result over in parts sees: the control above and the
// hand-over of one part.
template <typename Batch> class BatchControl : public JobControl {
public:
    BatchControl(JobControl control, std::function<void(Batch)> report)
        : JobControl(std::move(control)), m_report(std::move(report)) {}

    // Hands `batch` to the GUI thread, after every part reported before it.
    void report(Batch batch) const { m_report(std::move(batch)); }

private:
    std::function<void(Batch)> m_report;
};

// The signals of every job (a class template cannot declare them itself).
class JobSignals : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void progressed(int done, int total);
    // Parts of the result reported by a work started in batches are ready to be taken.
    void batchesReady();
    // The work has returned; its result is ready to be taken.
    void finished();
};

template <typename Result> class Job : public JobSignals {
public:
    using Work = std::function<Result(const JobControl &)>;
    using BatchWork = std::function<void(const BatchControl<Result> &)>;

    explicit Job(QObject *parent = nullptr) : JobSignals(parent) {
        connect(&m_watcher, &QFutureWatcherBase::progressValueChanged, this,
                [this](int value) { emit progressed(value, m_watcher.progressMaximum()); });
        connect(&m_watcher, &QFutureWatcherBase::resultsReadyAt, this, [this] {
            if (m_batched)
                emit batchesReady();
        });
        connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
            if (!m_batched && m_watcher.future().resultCount() > 0)
                m_result = m_watcher.future().result();
            m_running = false;
            emit finished();
        });
    }
    ~Job() override { cancel(); }

    // Starts `work` on a worker; false (nothing started) while a work runs.
    bool start(Work work) {
        return launch(
            false, [work = std::move(work)](QPromise<Result> &promise, const JobControl &control) {
                promise.addResult(work(control));
            });
    }

    // Starts `work` on a worker that reports its result in parts (see above); false
    // (nothing started) while a work runs. takeResult() stays empty for such a work.
    bool startInBatches(BatchWork work) {
        return launch(
            true, [work = std::move(work)](QPromise<Result> &promise, const JobControl &control) {
                const BatchControl<Result> batches(
                    control, [&promise](Result batch) { promise.addResult(std::move(batch)); });
                work(batches);
            });
    }

    // The parts reported since the last call, in order; empty when none arrived.
    std::vector<Result> takeBatches() {
        std::vector<Result> batches;
        if (!m_batched)
            return batches;
        const QFuture<Result> future = m_watcher.future();
        const int ready = future.resultCount();
        for (; m_batchesTaken < ready; ++m_batchesTaken)
            batches.push_back(future.resultAt(m_batchesTaken));
        return batches;
    }

    // Asks the running work to stop at its next check; it still finishes and signals.
    void cancel() {
        if (m_cancel)
            m_cancel->store(true, std::memory_order_relaxed);
    }
    bool isCancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    bool isRunning() const { return m_running; }

    // The result of the last work, once `finished` was signalled; empty before, and
    // after it was taken.
    std::optional<Result> takeResult() { return std::exchange(m_result, std::nullopt); }

private:
    template <typename Run> bool launch(bool batched, Run run) {
        if (m_running)
            return false;
        m_running = true;
        m_batched = batched;
        m_batchesTaken = 0;
        m_result.reset();
        m_cancel = std::make_shared<std::atomic<bool>>(false);
        auto promise = std::make_shared<QPromise<Result>>();
        m_watcher.setFuture(promise->future());
        QThreadPool::globalInstance()->start([promise, run = std::move(run), cancel = m_cancel] {
            promise->start();
            auto total = std::make_shared<int>(-1);
            const JobControl control(cancel, [promise, total](int done, int all) {
                if (all != *total) {
                    *total = all;
                    promise->setProgressRange(0, all);
                }
                promise->setProgressValue(done);
            });
            run(*promise, control);
            promise->finish();
        });
        return true;
    }

    QFutureWatcher<Result> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::optional<Result> m_result;
    bool m_running = false;
    bool m_batched = false;
    int m_batchesTaken = 0;
};

} // namespace zembra
