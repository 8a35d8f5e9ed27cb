// What quitting does with the background work still running when the delegate goes: a
// cancelled job is waited for, so its worker never outlives the settings; a worker that
// never ends ends the process instead of hanging the quit.
#include "shell/AppDelegate.h"
#include "shell/Job.h"
#include "support/TreeBuilder.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

using namespace zembra;

namespace {

struct Worker {
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
};

} // namespace

TEST(Quit, CancelledJobStillRunning_DelegateWaitsUntilItsWorkerHasEnded) {
    test::TestSettings settings;
    test::TestSettings suite;
    auto worker = std::make_shared<Worker>();
    {
        AppDelegate delegate(settings, suite);
        {
            Job<int> job;
            job.start([worker](const JobControl &control) {
                worker->started = true;
                while (!control.cancelled())
                    std::this_thread::yield();
                worker->ended = true;
                return 0;
            });
            while (!worker->started)
                std::this_thread::yield();
        } // the screen goes, and its job with it: cancelled, not waited for
    }
    EXPECT_TRUE(worker->ended);
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
        ::testing::ExitedWithCode(EXIT_FAILURE), "background work did not stop");
}
