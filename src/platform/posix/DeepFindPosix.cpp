// The deep find: folders are read in whatever order the workers reach them and only the
// kept entries are put in walk order at the end. A walk starts on the calling thread and
// takes helpers only once it has proved large and, unless threads were asked for, once
// the thread keeps blocking on the disk: the helpers keep several
// folder reads waiting at once, while on folders already in memory a second thread only
// adds work (the kernel's locks and the hand-over).
#include "platform/posix/DeepFind.h"

#include "platform/posix/DirectoryReader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace zembra::platform {

namespace {

constexpr int kMaxDepth = 512;
// Folders the calling thread reads alone before it asks for helpers.
constexpr int kSerialFolders = 24;

std::atomic<int> g_defaultThreads{0};

int threadsFor(int asked) {
    if (asked > 0)
        return std::min(asked, 64);
    // Helpers mostly wait on the disk: a few per core keep its queue filled.
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(4 * cores, 4, 8);
}

#if defined(RUSAGE_THREAD)
// How often the calling thread blocked (a folder read that went to the disk) over a
// stretch of folders. Being pushed off the processor by other work does not count: that
// is what more threads would not help.
class WaitMeter {
public:
    WaitMeter() { restart(); }
    void restart() { m_blocked = blocked(); }
    bool mostlyWaiting() const { return blocked() - m_blocked >= kWaits; }

private:
    static constexpr long kWaits = 4; // in a stretch of folders
    static long blocked() {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return usage.ru_nvcsw;
    }
    long m_blocked = 0;
};
#else
// How long the calling thread has run against how long it took over a stretch of folders.
class WaitMeter {
public:
    WaitMeter() { restart(); }
    void restart() {
        m_cpu = now(CLOCK_THREAD_CPUTIME_ID);
        m_wall = now(CLOCK_MONOTONIC);
    }
    bool mostlyWaiting() const {
        return now(CLOCK_MONOTONIC) - m_wall > 2 * (now(CLOCK_THREAD_CPUTIME_ID) - m_cpu);
    }

private:
    static std::chrono::nanoseconds now(clockid_t clock) {
        timespec ts{};
        clock_gettime(clock, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    }
    std::chrono::nanoseconds m_cpu{};
    std::chrono::nanoseconds m_wall{};
};
#endif

bool skipsPackage(EnumerationOptions options, std::string_view name) {
    if (options != EnumerationOptions::SkipHiddenAndPackageDescendants)
        return false;
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && dot != 0 && isPackageExtension(name.substr(dot + 1));
}

// An open folder whose subfolders are still to be opened: it closes once the last of
// them has been.
struct OpenFolder {
    explicit OpenFolder(int f) : fd(f) {}
    ~OpenFolder() { close(fd); }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    const int fd;
};

struct Task {
    std::shared_ptr<OpenFolder> parent;
    std::string path; // the folder's whole path, its name last
    std::uint32_t nameLength;
    int depth;
};

struct Worker {
    std::vector<Task> stack; // its own folders, newest last
    std::vector<FoundEntry> found;
    posix::DirectoryReader reader;
    int folders = 0;
};

void join(std::string &path, std::string_view name) {
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
}

// Pre-order with children sorted by name bytes is the order of the whole paths when the
// separator sorts before every byte a name may hold.
bool walkOrder(const FoundEntry &a, const FoundEntry &b) {
    const auto [ia, ib] = std::mismatch(a.path.begin(), a.path.end(), b.path.begin(), b.path.end());
    if (ia == a.path.end())
        return ib != b.path.end();
    if (ib == b.path.end())
        return false;
    const auto rank = [](char c) { return c == '/' ? 0 : int(static_cast<unsigned char>(c)) + 1; };
    return rank(*ia) < rank(*ib);
}

class DeepFind {
public:
    DeepFind(EnumerationOptions options, const posix::KeepAt &keep,
             const std::function<bool()> &stop, int asked, dev_t device)
        : m_options(options), m_keep(keep), m_stop(stop), m_threads(threadsFor(asked)),
          m_threadsAsked(asked > 1), m_device(device), m_workers(size_t(m_threads)) {}

    std::vector<FoundEntry> run(int rootFd, std::string rootPath) {
        Worker &own = m_workers[0];
        const auto nameLength = std::uint32_t(rootPath.size());
        own.stack.push_back(
            {std::make_shared<OpenFolder>(rootFd), std::move(rootPath), nameLength, 0});
        work(own, true);
        for (std::thread &t : m_helpers)
            t.join();
        size_t total = 0;
        for (const Worker &w : m_workers)
            total += w.found.size();
        std::vector<FoundEntry> found;
        found.reserve(total);
        for (Worker &w : m_workers)
            std::move(w.found.begin(), w.found.end(), std::back_inserter(found));
        std::sort(found.begin(), found.end(), walkOrder);
        return found;
    }

private:
    void work(Worker &self, bool caller) {
        for (;;) {
            if (self.stack.empty() && !takeShared(self, caller))
                return;
            if (caller && m_stop && m_stop()) {
                abort();
                return;
            }
            if (m_abort.load(std::memory_order_relaxed))
                return;
            Task task = std::move(self.stack.back());
            self.stack.pop_back();
            read(self, std::move(task));
            if (caller && m_helpers.empty() && m_threads > 1 && ++self.folders >= kSerialFolders) {
                if (self.stack.size() > 1 && (m_threadsAsked || m_meter.mostlyWaiting()))
                    startHelpers();
                self.folders = 0;
                m_meter.restart();
            }
            if (m_waiting.load(std::memory_order_relaxed) > 0 && self.stack.size() > 1)
                share(self);
        }
    }

    void read(Worker &self, Task task) {
        int fd = -1;
        if (task.depth == 0) {
            // The root was opened by the caller; the task holds it.
            fd = task.parent->fd;
        } else {
            fd = posix::openChildFolder(
                task.parent->fd, task.path.c_str() + task.path.size() - task.nameLength, m_device);
            task.parent.reset();
            if (fd < 0)
                return;
        }
        const std::shared_ptr<OpenFolder> folder =
            task.depth == 0 ? std::move(task.parent) : std::make_shared<OpenFolder>(fd);
        const bool enter = task.depth < kMaxDepth;
        const size_t base = task.path.size();
        self.reader.read(fd, [&](std::string_view name, EntryType type) {
            if (name[0] == '.')
                return;
            const bool kept = m_keep(fd, name, type);
            const bool descend =
                type == EntryType::Directory && enter && !skipsPackage(m_options, name);
            if (!kept && !descend)
                return;
            std::string path;
            path.reserve(base + 1 + name.size());
            path.assign(task.path);
            join(path, name);
            if (kept && descend)
                self.found.push_back({path, type, std::uint32_t(name.size())});
            else if (kept)
                self.found.push_back({std::move(path), type, std::uint32_t(name.size())});
            if (descend)
                self.stack.push_back(
                    {folder, std::move(path), std::uint32_t(name.size()), task.depth + 1});
        });
    }

    // Waits for a folder another worker handed over; false once the walk is over.
    bool takeShared(Worker &self, bool caller) {
        std::unique_lock lock(m_mutex);
        ++m_idle;
        m_waiting.store(m_idle, std::memory_order_relaxed);
        for (;;) {
            if (m_done || m_abort.load(std::memory_order_relaxed))
                break;
            if (!m_shared.empty()) {
                self.stack.push_back(std::move(m_shared.front()));
                m_shared.pop_front();
                break;
            }
            if (m_idle == m_running) {
                m_done = true;
                m_wake.notify_all();
                break;
            }
            if (!caller) {
                m_wake.wait(lock);
                continue;
            }
            // The caller alone may ask `stop`, so it never sleeps long.
            m_wake.wait_for(lock, std::chrono::milliseconds(5));
            if (m_stop) {
                lock.unlock();
                const bool stopped = m_stop();
                lock.lock();
                if (stopped) {
                    m_abort.store(true, std::memory_order_relaxed);
                    m_wake.notify_all();
                    break;
                }
            }
        }
        --m_idle;
        m_waiting.store(m_idle, std::memory_order_relaxed);
        return !self.stack.empty();
    }

    // Hands the oldest half of a worker's folders (the shallowest, the largest subtrees)
    // to the idle ones.
    void share(Worker &self) {
        const size_t give = self.stack.size() / 2;
        {
            std::lock_guard lock(m_mutex);
            for (size_t i = 0; i < give; ++i)
                m_shared.push_back(std::move(self.stack[i]));
        }
        self.stack.erase(self.stack.begin(), self.stack.begin() + std::ptrdiff_t(give));
        m_wake.notify_all();
    }

    // A helper counts as running before it starts, so the walk cannot end under it; one
    // the system will not start is simply not counted (the walk goes on with fewer).
    void startHelpers() {
        for (int i = 1; i < m_threads; ++i) {
            {
                std::lock_guard lock(m_mutex);
                ++m_running;
            }
            try {
                m_helpers.emplace_back([this, i] { work(m_workers[size_t(i)], false); });
            } catch (const std::system_error &) {
                std::lock_guard lock(m_mutex);
                --m_running;
                m_wake.notify_all();
                break;
            }
        }
    }

    void abort() {
        std::lock_guard lock(m_mutex);
        m_abort.store(true, std::memory_order_relaxed);
        m_wake.notify_all();
    }

    const EnumerationOptions m_options;
    const posix::KeepAt &m_keep;
    const std::function<bool()> &m_stop;
    const int m_threads;
    const bool m_threadsAsked; // helpers as soon as the walk is large, disk or not
    const dev_t m_device;
    WaitMeter m_meter;
    std::vector<Worker> m_workers;
    std::vector<std::thread> m_helpers;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_shared;
    int m_idle = 0;
    int m_running = 1;
    bool m_done = false;
    std::atomic<int> m_waiting{0};
    std::atomic<bool> m_abort{false};
};

} // namespace

namespace posix {

std::vector<FoundEntry> findBelow(const fs::path &folder, EnumerationOptions options,
                                  const KeepAt &keep, const std::function<bool()> &stop,
                                  int threads) {
    const int fd = openFolder(folder.c_str());
    if (fd < 0)
        return {};
    dev_t device = 0;
    if (!deviceOf(fd, device)) {
        close(fd);
        return {};
    }
    std::string path = folder.native();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    DeepFind find(options, keep, stop, threads, device);
    return find.run(fd, std::move(path));
}

} // namespace posix

std::vector<FoundEntry> findDeep(const fs::path &folder, EnumerationOptions options,
                                 const KeepEntry &keep, const std::function<bool()> &stop,
                                 int threads) {
    const posix::KeepAt keepAt = [&keep](int, std::string_view name, EntryType type) {
        return keep(name, type);
    };
    return posix::findBelow(folder, options, keepAt, stop, threads);
}

std::vector<FoundEntry> findDeep(const fs::path &folder, EnumerationOptions options,
                                 const KeepEntry &keep, const std::function<bool()> &stop) {
    return findDeep(folder, options, keep, stop, g_defaultThreads.load(std::memory_order_relaxed));
}

void setDeepFindThreads(int threads) {
    g_defaultThreads.store(threads, std::memory_order_relaxed);
}

} // namespace zembra::platform
