// The job type's batch hand-over: parts arrive on the GUI thread in the order the work
// reported them, the end is signalled after the last, and a job destroyed mid-work hands
// nothing more to anyone.
#include "shell/Job.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace zembra;

namespace {

void drain() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

TEST(JobBatches, PartsArriveInOrder_FinishedAfterTheLast_NoWholeResult) {
    Job<std::vector<int>> job;
    std::vector<int> seen;
    int finishedAt = -1;
    QObject::connect(&job, &JobSignals::batchesReady, &job, [&] {
        for (const auto &batch : job.takeBatches())
            seen.insert(seen.end(), batch.begin(), batch.end());
    });
    QObject::connect(&job, &JobSignals::finished, &job, [&] {
        for (const auto &batch : job.takeBatches())
            seen.insert(seen.end(), batch.begin(), batch.end());
        finishedAt = int(seen.size());
    });
    ASSERT_TRUE(job.startInBatches([](const BatchControl<std::vector<int>> &control) {
        for (int b = 0; b < 50; ++b)
            control.report({3 * b, 3 * b + 1, 3 * b + 2});
    }));
    EXPECT_FALSE(job.startInBatches([](const auto &) {})) << "one work at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 10000));
    std::vector<int> expected(150);
    for (int i = 0; i < 150; ++i)
        expected[size_t(i)] = i;
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(finishedAt, 150) << "finished comes after every part";
    EXPECT_FALSE(job.takeResult().has_value());
    EXPECT_TRUE(job.takeBatches().empty()) << "each part is taken once";

    // The same job then runs a whole-result work as before.
    ASSERT_TRUE(job.start([](const JobControl &) { return std::vector<int>{7}; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 10000));
    EXPECT_EQ(job.takeResult(), std::vector<int>{7});
}

TEST(JobBatches, DestroyedWhileTheWorkReports_WorkSeesTheCancel_NothingArrives) {
    std::atomic<bool> sawCancel{false};
    std::atomic<int> reported{0};
    int arrived = 0, arrivedBefore = 0;
    {
        auto *owner = new QObject;
        auto *job = new Job<std::vector<int>>(owner);
        QObject::connect(job, &JobSignals::batchesReady, owner, [&] { ++arrived; });
        job->startInBatches([&](const BatchControl<std::vector<int>> &control) {
            while (reported < 3)
                control.report({reported++});
            // Held until the job is gone, then it keeps reporting into the void.
            while (!control.cancelled())
                std::this_thread::yield();
            sawCancel = true;
            for (int i = 0; i < 100; ++i)
                control.report({i});
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return reported == 3; }, 10000));
        arrivedBefore = arrived;
        delete owner; // the screen goes: the job with it
    }
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    drain();
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(arrived, arrivedBefore) << "no batch reached the destroyed owner";
}
