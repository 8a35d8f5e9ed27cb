// The lists of applications, installed and removed, and the background work that fills them.

#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/screens/ApplicationsRowView.h"
#include "catalogue/screens/ApplicationsViewController.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Workspace.h"
#include "shell/Job.h"
#include "shell/RememberedReview.h"

#include <QImage>
#include <QListView>
#include <QPointer>
#include <QSemaphore>
#include <QTableView>
#include <QTemporaryDir>
#include <QThreadPool>

#include <atomic>
#include <cstdlib>
#include <numeric>
#include <thread>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class CountingWorkspace : public platform::Workspace {
public:
    QIcon iconForFile(const fs::path &path) override {
        ++calls;
        return platform::Workspace::iconForFile(path);
    }
    int calls = 0;
};

class ApplicationsList : public test::GuiTest {
protected:
    ApplicationsList() {
        grantBoth();
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad",
                 "AppIcon.icns");
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        const fs::path icns =
            tree.file("Applications/Sketchpad.app/Contents/Resources/AppIcon.icns");
        EXPECT_TRUE(icon.save(QString::fromStdString(icns.native()), "ICNS"));
        for (const char *name : {"Safari", "Café", "Notes"})
            tree.app(std::string("Applications/") + name + ".app",
                     std::string("com.example.") + name[0]);
    }
    void open() {
        post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
    }
    QStringList rows() const { return test::labels(list->model()); }
    void type(const QString &text) { find<QLineEdit>(screen(), "search_field")->setText(text); }
    QString chosen() const {
        const auto i = delegate->state().item();
        return i && i->label() ? *i->label() : QString();
    }

    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsList, FilterIgnoresCaseAndAccents_ChoiceKeptThroughIt_IconFromItsIcns) {
    open();
    const QStringList all = {"Café", "Notes", "Safari", "Sketchpad"};
    EXPECT_EQ(rows(), all);
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr);
    // Case and accents are the text search's (Contains); the field narrows the list by it.
    const std::pair<const char *, QStringList> filters[] = {
        {"SAF", {"Safari"}}, {"cafe", {"Café"}}, {"zzz", {}}, {"", all}};
    for (const auto &[typed, shown] : filters) {
        type(typed);
        EXPECT_EQ(rows(), shown) << typed;
    }

    const QIcon icon = list->model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(icon.pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
    // A bundle without an icon resource still shows an application icon.
    EXPECT_FALSE(list->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    auto *next = find<QAbstractButton>(screen(), "switch_next");
    EXPECT_FALSE(next->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(3, 0)).center());
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad")) << "handed over at selection time";
    type("s");   // Sketchpad moves to another row
    type("zzz"); // and then out of the list
    ASSERT_TRUE(next->isEnabled()) << "a filter keeps the next button's state";
    next->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad"));

    SCOPED_TRACE("emptied folder");
    fs::remove_all(tree / "Applications");
    fs::create_directories(tree / "Applications");
    open();
    EXPECT_NE(openScene("zembra::InstalledappsViewController"), nullptr);
}

TEST_F(ApplicationsList, LongList_IconsDecodedForRowsOnScreen_HostileNameEscaped) {
    for (int i = 0; i < 200; ++i)
        tree.app("Applications/More/App " + std::to_string(i) + ".app",
                 "com.x.app" + std::to_string(i));
    tree.app("Applications/Evil\nName\u202egnp.exe.app", "com.x.evil");
    CountingWorkspace counting;
    platform::Workspace::setShared(&counting);
    open();
    window().grab();
    EXPECT_GT(counting.calls, 0);
    EXPECT_LE(counting.calls, list->viewport()->height() / ApplicationsRowView::kRowHeight + 2);
    list->scrollToBottom();
    window().grab();
    const int afterScroll = counting.calls;
    list->scrollToTop();
    window().grab();
    EXPECT_EQ(counting.calls, afterScroll) << "icons already decoded are kept";
    platform::Workspace::setShared(nullptr);

    // In the row, its tooltip and its spoken name.
    const QString evil = QStringLiteral("Evil\\nName\\u202egnp.exe");
    const int row = int(rows().indexOf(evil));
    ASSERT_GE(row, 0) << rows().join('|').toStdString();
    EXPECT_EQ(list->model()->index(row, 0).data(Qt::ToolTipRole).toString(), evil);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->child(row)->text(QAccessible::Name),
              evil);
}

namespace {

// The real bundles read three at a time, each batch after the first held until the test lets
// it through (or the read is cancelled), so every state met mid-load is reached on purpose.
// The reader shares the gate: a worker still held when the test ends outlives the fixture.
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
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Two"));
    arrive(1);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(selected(), QStringLiteral("Zeta Three"));
    arrive(1);

    // Review hands over exactly that bundle, however the rows moved meanwhile.
    find<QAbstractButton>(screen(), "switch_next")->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->url(), (tree / "Applications/A Folder/Zeta Three.app"));
}

// Ends with the worker held: the window goes, then the delegate, which waits for the worker;
// the worker notices the cancel, and its late batches reach nothing destroyed.
TEST_F(ApplicationsLoading, QuitWhileLoading_WindowAndDelegateGoWhileTheWorkerIsHeld) {
    open();
    EXPECT_TRUE(loading());
}

namespace {

// The watcher's memory on a temporary tree: "Gone" left files behind, "Clean" left none,
// "Back" was seen leaving but is installed again, "Kept" is installed.
class RemovedApplications : public test::GuiTest {
protected:
    RemovedApplications() {
        grantBoth();
        platform::SettingsStore::setFolder(settingsFolder.path());
        const std::string preferences =
            (home() / "Library/Preferences").lexically_relative(tree.root()).string();
        tree.file(preferences + "/com.x.gone.plist", std::string(3000, 'x'));
        tree.file(preferences + "/com.x.back.plist");
        ApplicationSnapshot snapshot{tree / "Applications", {}};
        for (const char *name : {"Gone", "Clean", "Back", "Kept"}) {
            const fs::path bundle =
                tree.app(std::string("Applications/") + name + ".app",
                         "com.x." + QString(name).toLower().toStdString(), name);
            const bool installed = name == std::string("Kept");
            snapshot.applications.push_back(
                {Application(settings.store()).application(bundle), installed, {}});
            if (!installed)
                fs::remove_all(bundle);
        }
        tree.app("Applications/Back.app", "com.x.back");
        EXPECT_TRUE(writeSnapshot(snapshotFile(settingsFolder.path()), snapshot));
    }
    ~RemovedApplications() override { platform::SettingsStore::setFolder(QString()); }

    QTemporaryDir settingsFolder;
};

} // namespace

TEST_F(RemovedApplications, List_OnlyGoneWithLeftovers_ReviewOfOne_LeftMidSearchReachesNothing) {
    post(screens::kRemovedApplicationsViewController);
    QPointer<QWidget> left = screen();
    post(screens::kHomeViewController);
    EXPECT_TRUE(left.isNull());
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    settle();
    EXPECT_EQ(screenName(), kHomeScreen) << "the search left behind moved nothing";

    find<QAbstractButton>(screen(), "removed")->click();
    settle();
    auto *list = qobject_cast<RemovedApplicationsViewController *>(screen());
    ASSERT_NE(list, nullptr);
    // The rows arrive as the search finds them: a small tree may be done already.
    EXPECT_EQ(find<QProgressBar>(list, "progress")->isVisible(), !list->searchFinished())
        << "busy while searching";
    test::expectControlsNamedOnce(&window(), "removed applications, searching");
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    // Only what is already posted runs here: a poll's timer would not have fired yet.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(list->searchFinished());
    test::expectControlsNamedOnce(&window(), "removed applications");
    EXPECT_FALSE(find<QProgressBar>(list, "progress")->isVisible());
    EXPECT_FALSE(find<QLabel>(list, "empty_notice")->isVisible());
    const QAbstractItemModel *rows = find<QTableView>(list, "tableviewR")->model();
    ASSERT_EQ(test::labels(rows), QStringList{"Gone"});
    EXPECT_EQ(rows->index(0, 1).data().toString() + '|' + rows->index(0, 2).data().toString(),
              "com.x.gone|" + platform::formatByteCount(3000));

    auto *review = find<QAbstractButton>(list, "switch_review");
    EXPECT_FALSE(review->isEnabled()) << "nothing chosen yet";
    find<QTableView>(list, "tableviewR")->selectRow(0);
    review->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->bundle(), OptString(QStringLiteral("com.x.gone")));

    SCOPED_TRACE("nothing remembered");
    fs::remove(snapshotFile(settingsFolder.path()));
    post(screens::kRemovedApplicationsViewController);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return qobject_cast<RemovedApplicationsViewController *>(screen())->searchFinished();
        },
        20000));
    EXPECT_TRUE(find<QLabel>(screen(), "empty_notice")->isVisible());
    EXPECT_FALSE(find<QTableView>(screen(), "tableviewR")->isVisible());
    find<QAbstractButton>(screen(), "home_back")->click();
    settle();
    EXPECT_EQ(screenName(), kHomeScreen);
}

TEST_F(RemovedApplications,
       ReviewRemembered_KnownKeyOpensItsReview_UnknownOrInstalledKeyLeavesHome) {
    window();
    // Nothing remembered, or installed now (remembered so, or back since it was seen
    // leaving): a review would offer the installed bundle.
    for (const char *key : {"com.x.none", "com.x.kept", "com.x.back"})
        EXPECT_FALSE(reviewRememberedApplication(*delegate, settingsFolder.path(), key)) << key;
    settle();
    EXPECT_EQ(delegate->state().item(), nullptr);
    EXPECT_EQ(screenName(), kHomeScreen);

    ASSERT_TRUE(reviewRememberedApplication(*delegate, settingsFolder.path(), "com.x.gone"));
    settle();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->label(), OptString(QStringLiteral("Gone")));
}

TEST(JobBatches, PartsArriveInOrder_FinishedAfterTheLast_NoWholeResult) {
    Job<std::vector<int>> job;
    std::vector<int> seen, expected(150);
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
    std::iota(expected.begin(), expected.end(), 0);
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
