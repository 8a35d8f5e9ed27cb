// Background work of the screens: parts arrive on the GUI thread in the order the work
// reported them and the end after the last; a job destroyed mid-work hands nothing more to
// anyone; quitting waits for a cancelled worker, and ends the process when one never ends.
#include "shell/AppDelegate.h"
#include "shell/Job.h"
#include "support/TreeBuilder.h"

#include <QCoreApplication>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace zembra;

TEST(JobBatches, PartsArriveInOrder_FinishedAfterTheLast_NoWholeResult) {
    Job<std::vector<int>> job;
    std::vector<int> seen, expected;
    int finishedAt = -1;
    const auto take = [&] {
        for (const auto &batch : job.takeBatches())
            seen.insert(seen.end(), batch.begin(), batch.end());
    };
    QObject::connect(&job, &JobSignals::batchesReady, &job, take);
    QObject::connect(&job, &JobSignals::finished, &job, [&] {
        take();
        finishedAt = int(seen.size());
    });
    ASSERT_TRUE(job.startInBatches([](const BatchControl<std::vector<int>> &control) {
        for (int b = 0; b < 50; ++b)
            control.report({3 * b, 3 * b + 1, 3 * b + 2});
    }));
    EXPECT_FALSE(job.startInBatches([](const auto &) {})) << "one work at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 10000));
    for (int i = 0; i < 150; ++i)
        expected.push_back(i);
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
    int arrived = 0;
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
    const int arrivedBefore = arrived;
    delete owner; // the screen goes: the job with it
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(arrived, arrivedBefore) << "no batch reached the destroyed owner";
}

TEST(Quit, CancelledJobStillRunning_DelegateWaitsUntilItsWorkerHasEnded) {
    test::TestSettings settings, suite;
    std::atomic<bool> started{false};
    auto ended = std::make_shared<std::atomic<bool>>(false);
    {
        AppDelegate delegate(settings, suite);
        Job<int> job; // the screen's job, going with it: cancelled, not waited for
        job.start([&started, ended](const JobControl &control) {
            started = true;
            while (!control.cancelled())
                std::this_thread::yield();
            *ended = true;
            return 0;
        });
        while (!started)
            std::this_thread::yield();
    }
    EXPECT_TRUE(*ended);
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(0));
}

TEST(QuitDeathTest, WorkerThatNeverEnds_ProcessEndsInsteadOfHanging) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            test::TestSettings settings;
            test::TestSettings suite;
            AppDelegate delegate(settings, suite);
            // Stuck for good, as in a file system that no longer answers.
            QThreadPool::globalInstance()->start([] {
                for (;;)
                    std::this_thread::sleep_for(std::chrono::hours(1));
            });
        },
        testing::ExitedWithCode(EXIT_FAILURE), "background work did not stop");
}
