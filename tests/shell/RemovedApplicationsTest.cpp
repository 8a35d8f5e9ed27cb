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

namespace {

const QString kHomeScreen = QStringLiteral("zembra::HomeViewController/HomeViewController");

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

    QStringList rowTexts(QWidget *list) {
        QStringList rows;
        const QAbstractItemModel *model = find<QTableView>(list, "tableviewR")->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            rows << cells.join('|');
        }
        return rows;
    }

    QTemporaryDir settingsFolder;
};

} // namespace

TEST_F(RemovedApplications, List_OnlyGoneApplicationsWithLeftovers_InOnTheNextTurn_ReviewOfOne) {
    post(screens::kHomeViewController);
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
    EXPECT_EQ(rowTexts(list),
              QStringList{QStringLiteral("Gone|com.x.gone|") + platform::formatByteCount(3000)});

    auto *review = find<QAbstractButton>(list, "switch_review");
    EXPECT_FALSE(review->isEnabled()) << "nothing chosen yet";
    find<QTableView>(list, "tableviewR")->selectRow(0);
    review->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->bundle(), OptString(QStringLiteral("com.x.gone")));
}

TEST_F(RemovedApplications, LeftMidSearch_ReachesNothing_NothingRememberedShowsTheNotice) {
    post(screens::kRemovedApplicationsViewController);
    QPointer<QWidget> list = screen();
    post(screens::kHomeViewController);
    EXPECT_TRUE(list.isNull());
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    settle();
    EXPECT_EQ(screenName(), kHomeScreen);

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
