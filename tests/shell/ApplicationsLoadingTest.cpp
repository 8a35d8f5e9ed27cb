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
#include <QTest>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace zembra;
using zembra::test::GuiTest;

namespace {

// Reads the real bundles, three at a time, and waits before handing over each batch
// beyond the ones allowed (or until the read is cancelled).
class GatedReader : public std::enable_shared_from_this<GatedReader> {
public:
    static constexpr size_t kBatch = 3;

    // The reader holds a share of the gate: a worker still held when the test ends
    // outlives the fixture.
    ApplicationsViewController::Reader reader() {
        return [self = shared_from_this()](const ApplicationsQuery &query, size_t,
                                           const std::function<void(ApplicationList)> &report,
                                           const std::function<bool()> &cancelled) {
            Application::readApplications(
                query, kBatch,
                [&](ApplicationList batch) {
                    std::unique_lock lock(self->m_mutex);
                    while (self->m_handed >= self->m_allowed && !cancelled())
                        self->m_changed.wait_for(lock, std::chrono::milliseconds(5));
                    ++self->m_handed;
                    lock.unlock();
                    report(std::move(batch));
                },
                cancelled);
        };
    }
    void allow(int batches) {
        std::lock_guard lock(m_mutex);
        m_allowed += batches;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_allowed = 1;
    int m_handed = 0;
};

class ApplicationsLoading : public GuiTest {
protected:
    ApplicationsLoading() {
        grantBoth();
        // Read first (the folder sorts before the top-level bundles), shown last.
        for (const char *name : {"Zeta One", "Zeta Two", "Zeta Three"})
            tree.app(std::string("Applications/A Folder/") + name + ".app",
                     std::string("com.z.") + name);
        for (const char *name : {"Alpha", "Beta", "Delta", "Epsilon", "Gamma", "Kappa", "Lambda"})
            tree.app(std::string("Applications/") + name + ".app", std::string("com.g.") + name);
        ApplicationsViewController::setReader(gate->reader());
    }
    // A worker still held is cancelled when the fixture destroys the window.
    ~ApplicationsLoading() override { ApplicationsViewController::setReader({}); }

    // Opens the list without waiting for the read, as a user sees it at once.
    void open() {
        window();
        QApplication::setActiveWindow(&window());
        NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
        pump();
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
    }
    // Lets `batches` more through and waits until their rows could have arrived.
    void arrive(int batches, int rowsLoaded) {
        gate->allow(batches);
        EXPECT_TRUE(QTest::qWaitFor([&] { return loadedCount() >= rowsLoaded; }, 10000));
        pump();
    }
    int loadedCount() {
        auto *screenNow = qobject_cast<ApplicationsViewController *>(screen());
        return screenNow && screenNow->loaded() ? 1000 : loadingCount();
    }
    // The count the side column says, or -1 when it says nothing.
    int loadingCount() {
        auto *label = find<QLabel>(screen(), "loading");
        if (!label || !label->isVisibleTo(screen()))
            return -1;
        const QStringList words = label->text().split(QLatin1Char(' '));
        return words.size() > 1 ? words[words.size() - 2].toInt() : -1;
    }
    static void pump() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    bool loading() {
        auto *label = find<QLabel>(screen(), "loading");
        return label && label->isVisibleTo(screen());
    }
    QStringList rows() const { return zembra::test::labels(list->model()); }
    QString selectedLabel() const {
        const auto selected = list->selectionModel()->selectedRows();
        return selected.size() == 1 ? selected.front().data().toString() : QString();
    }
    void click(const QString &label) {
        const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, label,
                                                1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << label.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(found.front()).center());
        pump();
    }
    QStringList serialRead() {
        QStringList out;
        for (const auto &item : Application(settings.store()).installedApplications())
            out << item->label().value_or(QString());
        return out;
    }

    std::shared_ptr<GatedReader> gate = std::make_shared<GatedReader>();
    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsLoading, FirstRowsShowAtOnce_SearchFiltersWhatArrives_FinalListIsTheSerialRead) {
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    EXPECT_EQ(rows(), (QStringList{"Zeta One", "Zeta Three", "Zeta Two"}));
    EXPECT_TRUE(loading()) << "the side column says the list is still being read";
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr)
        << "a list still loading is not called empty";

    // Typed while loading: narrows what has arrived and what arrives.
    QTest::keyClicks(find<QLineEdit>(screen(), "search_field"), "ta");
    pump();
    EXPECT_EQ(rows(), (QStringList{"Zeta One", "Zeta Three", "Zeta Two"}));
    arrive(1, 6);
    EXPECT_EQ(rows(), (QStringList{"Beta", "Delta", "Zeta One", "Zeta Three", "Zeta Two"}));

    gate->allow(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 10000));
    pump();
    EXPECT_EQ(rows(), (QStringList{"Beta", "Delta", "Zeta One", "Zeta Three", "Zeta Two"}));
    find<QLineEdit>(screen(), "search_field")->clear();
    pump();
    EXPECT_EQ(rows(), serialRead()) << "the same list, in the same order, as one read gives";
}

TEST_F(ApplicationsLoading, RowsArriveAboveTheChosenOne_SelectionKeysAndReviewKeepTheApplication) {
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    click("Zeta Three");
    ASSERT_EQ(list->currentIndex().row(), 1);
    const auto chosen = delegate->state().item();
    ASSERT_NE(chosen, nullptr);

    // Alpha, Beta and Delta go in above it: the row under the click moves, the choice not.
    arrive(1, 6);
    ASSERT_EQ(rows().size(), 6);
    EXPECT_EQ(selectedLabel(), QStringLiteral("Zeta Three"));
    EXPECT_EQ(list->currentIndex().data().toString(), QStringLiteral("Zeta Three"));

    // Down goes to the row below the chosen application as it stands now.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    pump();
    EXPECT_EQ(selectedLabel(), QStringLiteral("Zeta Two"));
    arrive(1, 9);
    QTest::keyClick(list, Qt::Key_Up);
    pump();
    EXPECT_EQ(selectedLabel(), QStringLiteral("Zeta Three"));
    arrive(1, 10);

    // Review hands over exactly that bundle, however the rows moved meanwhile.
    find<QAbstractButton>(screen(), "switch_next")->click();
    pump();
    EXPECT_EQ(reviewsShown, 1);
    const auto item = delegate->state().item();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->url(), (tree / "Applications/A Folder/Zeta Three.app"));
}

TEST_F(ApplicationsLoading, LeavingWhileLoading_CancelsTheRead_NothingReachesTheOldScreen) {
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    QPointer<QWidget> listScreen = screen();
    find<QAbstractButton>(screen(), "home_back")->click();
    settle();
    ASSERT_TRUE(listScreen.isNull()) << "the list screen is gone";
    // The held worker sees the cancel and ends; what it still hands over goes nowhere.
    gate->allow(1000);
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    pump();
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"));

    // A new visit reads afresh and completes.
    post(screens::kApplicationsViewController);
    list = find<QListView>(screen(), "tableviewA");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(rows(), serialRead());
}

TEST_F(ApplicationsLoading, QuitWhileLoading_WindowAndDelegateGoWhileTheWorkerIsHeld) {
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 10000));
    // The test ends here with the worker held: the fixture destroys the window (the
    // screen, its job) and then the delegate, which waits for the worker. The worker
    // must notice the cancel and its late batches must reach nothing destroyed.
    EXPECT_TRUE(loading());
}
