// The review's search as a job: it can be cancelled by leaving the screen, and the
// results fill the screen as soon as the search ends, not at a later poll.

#include "ScreenFixture.h"

#include "leftovers/LeftoverSearch.h"
#include "leftovers/screens/RemainderViewController.h"
#include "shell/Job.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace zembra;
using namespace zembra::test;
namespace fs = std::filesystem;

namespace {

// A search that waits until the test releases it or the screen cancels it, then runs
// the real one. Shared with the worker, so it outlives the screen.
struct GatedSearch {
    std::atomic<bool> entered{false};
    std::atomic<bool> released{false};
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> ended{false};

    RemainderViewController::Search function(const std::shared_ptr<GatedSearch> &self) {
        return [self](ApplicationItem &record, platform::SettingsStore &settings,
                      const std::function<bool()> &cancelled) {
            self->entered = true;
            while (!self->released && !cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            self->sawCancel = cancelled();
            auto result = leftovers::searchLeftovers(record, settings,
                                                     leftovers::SearchMode::Review, cancelled);
            self->ended = true;
            return result;
        };
    }
};

class ReviewSearchJob : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        bundle = t.app("Applications/Foo.app", "com.vendor.foo", "Foo", "Foo");
        t.file("Users/me/Library/Preferences/com.vendor.foo.plist", std::string(100, 'p'));
        item = choose(bundle);
    }
    RemainderViewController *openGated() {
        delete screen;
        auto *review = new RemainderViewController(*app, {}, &window, gate->function(gate));
        screen = review;
        review->resize(window.size());
        review->show();
        return review;
    }
    int rows() const { return child<QTableView>("tableviewR")->model()->rowCount(); }

    fs::path bundle;
    std::shared_ptr<ApplicationItem> item;
    std::shared_ptr<GatedSearch> gate = std::make_shared<GatedSearch>();
};

} // namespace

TEST_F(ReviewSearchJob, ScreenIsFilled_WhenTheSearchSignalsItsEnd) {
    RemainderViewController *review = openGated();
    auto *job = review->findChild<JobSignals *>(QStringLiteral("reviewSearch"));
    ASSERT_NE(job, nullptr);
    int rowsAtEnd = -1;
    bool busyAtEnd = true, removableAtEnd = false;
    QObject::connect(job, &JobSignals::finished, &observer, [&] {
        rowsAtEnd = rows();
        busyAtEnd = child<QProgressBar>("progress")->isVisible();
        removableAtEnd = child<QPushButton>("switch_remove")->isEnabled();
    });
    ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(child<QProgressBar>("progress")->isVisible());

    gate->released = true;
    ASSERT_TRUE(waitFor([&] { return rowsAtEnd >= 0; }));
    EXPECT_GT(rowsAtEnd, 0) << "the rows were not there when the search signalled its end";
    EXPECT_FALSE(busyAtEnd);
    EXPECT_TRUE(removableAtEnd);
    EXPECT_TRUE(review->searchFinished());
    EXPECT_FALSE(gate->sawCancel);
    EXPECT_FALSE(item->files().empty()) << "the shared item got the search's lists";
}

// Back, or the screen destroyed (quitting, another item chosen), while the search runs:
// the worker sees the cancel without being released, and nothing reaches the item.
TEST_F(ReviewSearchJob, LeftDuringTheSearch_CancelsIt_AndNothingReachesTheItem) {
    for (const bool back : {true, false}) {
        SCOPED_TRACE(back ? "Back" : "destroyed");
        gate = std::make_shared<GatedSearch>();
        posted.clear();
        openGated();
        ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
        if (back) {
            QTest::mouseClick(child<QPushButton>("backButton"), Qt::LeftButton);
            EXPECT_EQ(posted, std::vector<QString>{screens::kHomeViewController});
        } else {
            delete screen;
            screen = nullptr;
        }
        ASSERT_TRUE(waitFor([&] { return gate->ended.load(); }));
        EXPECT_TRUE(gate->sawCancel);
        delete screen;
        screen = nullptr;
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_TRUE(item->files().empty()) << "a cancelled search wrote into the shared item";
    }
}
