// The applications list while its bundles are still being read: the worker is held after
// each batch until the test lets the next one through, so every state a user may meet
// mid-load is reached on purpose.
#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/Application.h"
#include "catalogue/screens/ApplicationsViewController.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

#include <atomic>

using namespace zembra;

namespace {

// Reads the real bundles, three at a time, and waits before handing over each batch after
// the first until the test lets one through (or the read is cancelled). The reader holds a
// share of the gate: a worker still held when the test ends outlives the fixture.
struct Gate {
    QSemaphore open;
    std::atomic<int> handed{0};
};

class ApplicationsLoading : public test::GuiTest {
protected:
    ApplicationsLoading() {
        grantBoth();
        // Read first (the folder sorts before the top-level bundles), shown last.
        for (const char *name : {"Zeta One", "Zeta Two", "Zeta Three"})
            tree.app(std::string("Applications/A Folder/") + name + ".app",
                     std::string("com.z.") + name);
        for (const char *name : {"Alpha", "Beta", "Delta", "Epsilon", "Gamma", "Kappa", "Lambda"})
            tree.app(std::string("Applications/") + name + ".app", std::string("com.g.") + name);
        ApplicationsViewController::setReader(
            [gate = gate](const ApplicationsQuery &query, size_t,
                          const std::function<void(ApplicationList)> &report,
                          const std::function<bool()> &cancelled) {
                Application::readApplications(
                    query, 3,
                    [&](ApplicationList batch) {
                        while (gate->handed > 0 && !gate->open.tryAcquire(1, 5) && !cancelled()) {
                        }
                        report(std::move(batch));
                        ++gate->handed;
                    },
                    cancelled);
            });
    }
    // A worker still held is cancelled when the fixture destroys the window.
    ~ApplicationsLoading() override { ApplicationsViewController::setReader({}); }

    // Opens the list without waiting for the whole read, as a user sees it at once.
    void open() {
        QApplication::setActiveWindow(&window());
        NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    }
    // Lets `batches` more through and takes what they brought.
    void arrive(int batches) {
        const int handed = gate->handed + batches;
        gate->open.release(batches);
        EXPECT_TRUE(QTest::qWaitFor([&] { return gate->handed >= handed; }, 10000));
        QCoreApplication::sendPostedEvents();
    }
    bool loading() {
        auto *label = find<QLabel>(screen(), "loading");
        return label && label->isVisibleTo(screen());
    }
    QStringList rows() const { return test::labels(list->model()); }
    QStringList serialRead() {
        QStringList out;
        for (const auto &item : Application(settings.store()).installedApplications())
            out << item->label().value_or(QString());
        return out;
    }
    void press(Qt::Key key) {
        QTest::keyClick(list, key);
        QCoreApplication::sendPostedEvents();
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsLoading, FirstRowsShowAtOnce_SearchFiltersWhatArrives_FinalListIsTheSerialRead) {
    open();
    const QStringList zetas{"Zeta One", "Zeta Three", "Zeta Two"};
    EXPECT_EQ(rows(), zetas);
    EXPECT_TRUE(loading()) << "the side column says the list is still being read";
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr)
        << "a list still loading is not called empty";

    // Typed while loading: narrows what has arrived and what arrives.
    QTest::keyClicks(find<QLineEdit>(screen(), "search_field"), "ta");
    EXPECT_EQ(rows(), zetas);
    arrive(1);
    const QStringList filtered = QStringList{"Beta", "Delta"} + zetas;
    EXPECT_EQ(rows(), filtered);
    gate->open.release(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 10000));
    EXPECT_EQ(rows(), filtered);
    find<QLineEdit>(screen(), "search_field")->clear();
    EXPECT_EQ(rows(), serialRead()) << "the same list, in the same order, as one read gives";
}

TEST_F(ApplicationsLoading, RowsArriveAboveTheChosenOne_SelectionKeysAndReviewKeepTheApplication) {
    open();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    const auto selected = [&] {
        const auto rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 && list->currentIndex() == rows.front()
                   ? rows.front().data().toString()
                   : QString();
    };
    ASSERT_EQ(selected(), QStringLiteral("Zeta Three"));

    // Alpha, Beta and Delta go in above it: the row under the click moves, the choice not.
    arrive(1);
    ASSERT_EQ(rows().size(), 6);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Three"));
    // Down goes to the row below the chosen application as it stands now.
    list->setFocus();
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Two"));
    arrive(1);
    press(Qt::Key_Up);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Three"));
    arrive(1);

    // Review hands over exactly that bundle, however the rows moved meanwhile.
    find<QAbstractButton>(screen(), "switch_next")->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->url(), (tree / "Applications/A Folder/Zeta Three.app"));
}

TEST_F(ApplicationsLoading, LeavingWhileLoading_CancelsTheRead_NothingReachesTheOldScreen) {
    open();
    QPointer<QWidget> listScreen = screen();
    find<QAbstractButton>(screen(), "home_back")->click();
    settle();
    ASSERT_TRUE(listScreen.isNull());
    // The held worker sees the cancel and ends; what it still hands over goes nowhere.
    gate->open.release(1000);
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"));

    // A new visit reads afresh and completes.
    post(screens::kApplicationsViewController);
    list = find<QListView>(screen(), "tableviewA");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(rows(), serialRead());
}

// The test ends with the worker held: the fixture destroys the window (the screen, its job)
// and then the delegate, which waits for the worker. The worker must notice the cancel and
// its late batches must reach nothing destroyed.
TEST_F(ApplicationsLoading, QuitWhileLoading_WindowAndDelegateGoWhileTheWorkerIsHeld) {
    open();
    EXPECT_TRUE(loading());
}
