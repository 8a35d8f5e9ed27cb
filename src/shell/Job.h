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

// The signals of every job (a class template cannot declare them itself).
class JobSignals : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void progressed(int done, int total);
    // The work has returned; its result is ready to be taken.
    void finished();
};

template <typename Result> class Job : public JobSignals {
public:
    using Work = std::function<Result(const JobControl &)>;

    explicit Job(QObject *parent = nullptr) : JobSignals(parent) {
        connect(&m_watcher, &QFutureWatcherBase::progressValueChanged, this,
                [this](int value) { emit progressed(value, m_watcher.progressMaximum()); });
        connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
            if (m_watcher.future().resultCount() > 0)
                m_result = m_watcher.future().result();
            m_running = false;
            emit finished();
        });
    }
    ~Job() override { cancel(); }

    // Starts `work` on a worker; false (nothing started) while a work runs.
    bool start(Work work) {
        if (m_running)
            return false;
        m_running = true;
        m_result.reset();
        m_cancel = std::make_shared<std::atomic<bool>>(false);
        auto promise = std::make_shared<QPromise<Result>>();
        m_watcher.setFuture(promise->future());
        QThreadPool::globalInstance()->start([promise, work = std::move(work), cancel = m_cancel] {
            promise->start();
            auto total = std::make_shared<int>(-1);
            const JobControl control(cancel, [promise, total](int done, int all) {
                if (all != *total) {
                    *total = all;
                    promise->setProgressRange(0, all);
                }
                promise->setProgressValue(done);
            });
            promise->addResult(work(control));
            promise->finish();
        });
        return true;
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
    QFutureWatcher<Result> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::optional<Result> m_result;
    bool m_running = false;
};

} // namespace zembra
