#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "leftovers/screens/RemovedApplicationsViewController.h"
#include "platform/ByteCountFormatter.h"
#include "platform/SettingsStore.h"
#include "shell/RememberedReview.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace zembra;
using zembra::test::expectControlsNamedOnce;
using zembra::test::GuiTest;

namespace {

const QString kHomeScreen = QStringLiteral("zembra::HomeViewController/HomeViewController");

// The watcher's memory on a temporary tree: "Gone" left files behind, "Clean" left none,
// "Back" was seen leaving but is installed again, "Kept" is installed.
class RemovedApplications : public GuiTest {
protected:
    RemovedApplications() {
        grantBoth();
        platform::SettingsStore::setFolder(settingsFolder.path());
        const std::string preferences =
            (home() / "Library/Preferences").lexically_relative(tree.root()).string();
        tree.file(preferences + "/com.x.gone.plist", std::string(3000, 'x'));
        tree.file(preferences + "/com.x.back.plist");
        ApplicationSnapshot snapshot;
        snapshot.applicationsFolder = tree / "Applications";
        remember(snapshot, "Gone", "com.x.gone", false);
        remember(snapshot, "Clean", "com.x.clean", false);
        remember(snapshot, "Back", "com.x.back", false);
        tree.app("Applications/Back.app", "com.x.back");
        remember(snapshot, "Kept", "com.x.kept", true);
        tree.app("Applications/Kept.app", "com.x.kept");
        EXPECT_TRUE(writeSnapshot(snapshotFile(settingsFolder.path()), snapshot));
    }
    ~RemovedApplications() override { platform::SettingsStore::setFolder(QString()); }

    // The record of a bundle made and thrown away again unless `installed`.
    void remember(ApplicationSnapshot &snapshot, const std::string &name, const std::string &id,
                  bool installed) {
        const fs::path bundle = tree.app("Applications/" + name + ".app", id, name);
        snapshot.applications.push_back(
            {Application(settings.store()).application(bundle), installed, {}});
        if (!installed)
            fs::remove_all(bundle);
    }

    // The list screen once every search has ended.
    RemovedApplicationsViewController *finishedList() {
        post(screens::kRemovedApplicationsViewController);
        auto *list = qobject_cast<RemovedApplicationsViewController *>(screen());
        if (list) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return list->searchFinished(); }, 20000));
        }
        return list;
    }

    QStringList rowTexts(QWidget *list) {
        QStringList rows;
        auto *table = find<QTableView>(list, "tableviewR");
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->model()->columnCount(); ++c)
                cells << table->model()->index(r, c).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    QTemporaryDir settingsFolder;
};

} // namespace

TEST_F(RemovedApplications, List_ShowsOnlyGoneApplicationsWithLeftovers_AndReviewHandsOneOver) {
    post(screens::kHomeViewController);
    find<QAbstractButton>(screen(), "removed")->click();
    settle();
    auto *list = qobject_cast<RemovedApplicationsViewController *>(screen());
    ASSERT_NE(list, nullptr);
    // The rows arrive as the search finds them: a small tree may be done already.
    EXPECT_EQ(find<QProgressBar>(list, "progress")->isVisible(), !list->searchFinished())
        << "busy while searching";
    expectControlsNamedOnce(&window(), "removed applications, searching");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->searchFinished(); }, 20000));
    expectControlsNamedOnce(&window(), "removed applications");
    EXPECT_FALSE(find<QProgressBar>(list, "progress")->isVisible());
    EXPECT_FALSE(find<QLabel>(list, "empty_notice")->isVisible());

    EXPECT_EQ(rowTexts(list),
              QStringList{QStringLiteral("Gone|com.x.gone|") + platform::formatByteCount(3000)});

    auto *review = find<QAbstractButton>(list, "switch_review");
    EXPECT_FALSE(review->isEnabled()) << "nothing chosen yet";
    find<QTableView>(list, "tableviewR")->selectRow(0);
    ASSERT_TRUE(review->isEnabled());
    review->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    const auto item = delegate->state().item();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->bundle(), OptString(QStringLiteral("com.x.gone")));
    EXPECT_EQ(item->label(), OptString(QStringLiteral("Gone")));
}

TEST_F(RemovedApplications, NothingRemembered_ShowsTheEmptyNotice_AndBackGoesHome) {
    fs::remove(snapshotFile(settingsFolder.path()));
    auto *list = finishedList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(find<QLabel>(list, "empty_notice")->isVisible());
    EXPECT_FALSE(find<QTableView>(list, "tableviewR")->isVisible());
    find<QAbstractButton>(list, "home_back")->click();
    settle();
    EXPECT_EQ(screenName(), kHomeScreen);
}

TEST_F(RemovedApplications,
       ReviewRemembered_KnownKeyOpensItsReview_UnknownOrInstalledKeyLeavesHome) {
    window();
    // Nothing remembered, or installed now (remembered so, or back since it was seen
    // leaving): a review would offer the installed bundle.
    for (const char *key : {"com.x.none", "com.x.kept", "com.x.back"})
        EXPECT_FALSE(
            reviewRememberedApplication(*delegate, settingsFolder.path(), QString::fromLatin1(key)))
            << key;
    settle();
    EXPECT_EQ(delegate->state().item(), nullptr);
    EXPECT_EQ(screenName(), kHomeScreen);

    ASSERT_TRUE(reviewRememberedApplication(*delegate, settingsFolder.path(),
                                            QStringLiteral("com.x.gone")));
    settle();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->label(), OptString(QStringLiteral("Gone")));
}

TEST_F(RemovedApplications, SearchEnded_RowsAreInOnTheNextTurn_LeavingMidSearchReachesNothing) {
    post(screens::kRemovedApplicationsViewController);
    QPointer<RemovedApplicationsViewController> list =
        qobject_cast<RemovedApplicationsViewController *>(screen());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    // Only what is already posted runs here: a poll's timer would not have fired yet.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(list->searchFinished());
    EXPECT_EQ(rowTexts(list),
              QStringList{QStringLiteral("Gone|com.x.gone|") + platform::formatByteCount(3000)});

    // A second visit left at once: its search still runs while the screen goes.
    post(screens::kRemovedApplicationsViewController);
    list = qobject_cast<RemovedApplicationsViewController *>(screen());
    ASSERT_NE(list, nullptr);
    post(screens::kHomeViewController);
    EXPECT_TRUE(list.isNull());
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    settle();
    EXPECT_EQ(screenName(), kHomeScreen);
}
