// The review and removal as a user meets them when something is not what it was: a
// remembered application whose path now holds something else, entries unticked or not
// deletable (and the outcome that tells it), and quitting while a removal runs.

#include "ScreenFixture.h"

#include "catalogue/ApplicationSnapshot.h"
#include "leftovers/screens/RemainderViewController.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "shell/RememberedReview.h"
#include "support/CaseName.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace zembra;
using namespace zembra::test;
namespace fs = std::filesystem;

namespace {

class RemovalTrust : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        t.dir("Users/me/Library/Preferences");
    }
    // Shows the review (of the shared item, on `services`) once its results are in.
    void review(leftovers::RemovalServices services = {}) {
        services.playCompletionSound = [] {};
        delete screen;
        screen = new RemainderViewController(*app, services, &window);
        screen->resize(window.size());
        screen->show();
        ASSERT_TRUE(waitFor([this] { return !child<QProgressBar>("progress")->isVisible(); }));
        table = child<QTableView>("tableviewR");
    }
    QStringList rows() const { return labels(table->model()); }
    // Space on a row: the user unticks (or ticks) it.
    void toggle(const QString &row) {
        table->setFocus();
        table->setCurrentIndex(table->model()->index(int(rows().indexOf(row)), 1));
        QTest::keyClick(table, Qt::Key_Space);
    }
    // Presses Remove and waits for the outcome screen, which it then shows.
    void removeAndShowOutcome() {
        QTest::mouseClick(child<QPushButton>("switch_remove"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
        open(screens::kRemove);
    }
    std::string caption() const { return child<QLabel>("caption")->text().toStdString(); }
    std::string details() const { return child<QLabel>("details")->text().toStdString(); }

    QTableView *table = nullptr;
};

} // namespace

// The notice's review of an application that was moved away while another took its path:
// only the leftovers are listed and removed, the other application stays. Which path a
// remembered record keeps is the core's rule; this is the screen's whole road.
TEST_F(RemovalTrust, RememberedApplication_AnotherAtItsOldPath_NotListedNotDeleted) {
    const fs::path sketchpad =
        t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    auto remembered = Application(settings.store()).application(sketchpad);
    fs::remove_all(sketchpad);
    const fs::path paint = t.app("Applications/Sketchpad.app", "com.other.paint", "Paint", "Paint");
    const fs::path pref =
        t.file("Users/me/Library/Preferences/com.lumina.sketchpad.plist", std::string(100, 'p'));
    QTemporaryDir settingsFolder;
    ASSERT_TRUE(writeSnapshot(snapshotFile(settingsFolder.path()),
                              {t / "Applications", {{remembered, false, {}}}}));

    ASSERT_TRUE(reviewRememberedApplication(*app, settingsFolder.path(),
                                            QStringLiteral("com.lumina.sketchpad")));
    review();
    EXPECT_EQ(rows(), (QStringList{"Executables", "Preferences", "com.lumina.sketchpad.plist"}));
    removeAndShowOutcome();
    EXPECT_FALSE(platform::itemExists(pref));
    EXPECT_TRUE(platform::itemExists(paint / "Contents/Info.plist"));
    EXPECT_EQ(caption(), "Leftovers removed. Space freed:");
    EXPECT_EQ(details(), "1 leftover entry removed.");
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(100));
}

TEST_F(RemovalTrust, Outcome_SaysWhatHappened_KeptBundleOrNothingRemoved) {
    const fs::path chess = t.app("Applications/Chess.app", "com.vendor.chess", "Chess", "Chess");
    const fs::path pref =
        t.file("Users/me/Library/Preferences/com.vendor.chess.plist", std::string(300, 'c'));
    const fs::path log = t.file("Users/me/Library/Logs/Chess/Chess.log", std::string(50, 'l'));
    app->state().setItem(Application(settings.store()).application(chess));

    // The application unticked: it stays, and the outcome says so.
    review();
    toggle(QStringLiteral("Chess.app"));
    removeAndShowOutcome();
    EXPECT_TRUE(platform::itemExists(chess));
    EXPECT_EQ(child<QLabel>("name")->text(), QStringLiteral("Chess"));
    EXPECT_EQ(caption(), "was kept. Space freed:");
    EXPECT_EQ(details(), "3 leftover entries removed."); // the log folder, and the log in it

    // Only an entry that cannot be deleted ticked: nothing is said to be removed.
    const fs::path stuck = t.file("Users/me/Library/Preferences/com.vendor.chess.plist", "x");
    posted.clear();
    leftovers::RemovalServices refusing;
    refusing.removeItem = [stuck, scope = grants::GrantStore(settings.store()).deletionScope()](
                              const fs::path &p) { return p != stuck && scope.remove(p); };
    review(refusing);
    EXPECT_EQ(rows(),
              (QStringList{"Executables", "Chess.app", "Preferences", "com.vendor.chess.plist"}));
    toggle(QStringLiteral("Chess.app"));
    removeAndShowOutcome();
    EXPECT_TRUE(platform::itemExists(stuck));
    EXPECT_EQ(caption(), "was kept. Space freed:");
    EXPECT_EQ(details(), "No leftover entries removed. 1 entry could not be removed.");
    EXPECT_EQ(child<QLabel>("size")->text(), QStringLiteral("Zero KB"));
    (void)log;
}

namespace {

struct QuitCase {
    const char *name;
    const char *answer; // the button of the question the user presses
    bool stopped;
};

ZEMBRA_PRINT_CASE_BY_NAME(QuitCase)

class QuitDuringRemoval : public RemovalTrust, public ::testing::WithParamInterface<QuitCase> {};

} // namespace

TEST_P(QuitDuringRemoval,
       ControlsOffWhileItRuns_QuitAsksThenStopsOrKeepsGoing_OutcomeTellsWhatRemains) {
    const fs::path bundle =
        t.app("Applications/Clipper.app", "com.vendor.clipper", "Clipper", "Clipper");
    const fs::path pref = t.file("Users/me/Library/Preferences/com.vendor.clipper.plist");
    const fs::path log = t.file("Users/me/Library/Logs/Clipper/Clipper.log");
    app->state().setItem(Application(settings.store()).application(bundle));

    // The first deletion waits for the test: the removal is under way meanwhile.
    std::atomic<bool> release{false};
    struct Release {
        std::atomic<bool> &flag;
        ~Release() { flag = true; } // a failed assertion must not leave the worker waiting
    } guard{release};
    leftovers::RemovalServices slow;
    const platform::DeletionScope scope = grants::GrantStore(settings.store()).deletionScope();
    std::atomic<bool> entered{false};
    slow.removeItem = [&](const fs::path &p) {
        entered = true;
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return scope.remove(p);
    };
    review(slow);
    QTest::mouseClick(child<QPushButton>("switch_remove"), Qt::LeftButton);
    // The quit comes while the first entry is under way, not before the worker began.
    ASSERT_TRUE(waitFor([&] { return entered.load(); }));
    // While it runs: a progress bar over every row, nothing to press.
    auto *progress = child<QProgressBar>("removalProgress");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), table->model()->rowCount());
    for (const char *name : {"switch_remove", "backButton"})
        EXPECT_FALSE(child<QPushButton>(name)->isEnabled()) << name;
    EXPECT_FALSE(table->isEnabled());
    EXPECT_TRUE(posted.empty());

    app->terminateApp(); // Quit, from the menu or Ctrl+Q
    QMessageBox *question = window.findChild<QMessageBox *>(QStringLiteral("quitQuestion"));
    ASSERT_TRUE(question);
    ASSERT_TRUE(waitFor([question] { return question->isVisible(); }));
    EXPECT_TRUE(question->text().contains(QStringLiteral("Stop after the current entry")));
    QTest::mouseClick(question->findChild<QPushButton *>(QString::fromLatin1(GetParam().answer)),
                      Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());

    release = true;
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    open(screens::kRemove);
    EXPECT_FALSE(platform::itemExists(bundle)); // the entry under way was finished
    EXPECT_EQ(platform::itemExists(pref), GetParam().stopped);
    EXPECT_EQ(platform::itemExists(log.parent_path()), GetParam().stopped);
    EXPECT_EQ(caption(), "has been removed. Space freed:");
    // The leftovers: the preference file, the log folder and the log in it.
    if (GetParam().stopped) {
        EXPECT_EQ(app->state().remainder_urls().size(), 3u);
        EXPECT_EQ(details(), "No leftover entries removed. 3 entries could not be removed. The "
                             "removal was stopped before its end; what was not removed stays.");
    } else {
        EXPECT_TRUE(app->state().remainder_urls().empty());
        EXPECT_EQ(details(), "3 leftover entries removed.");
    }
    EXPECT_EQ(settings.store().integerForKey(QStringLiteral("remove_app_count")), 1);
}

INSTANTIATE_TEST_SUITE_P(Trust, QuitDuringRemoval,
                         ::testing::Values(QuitCase{"Stop", "stopRemoval", true},
                                           QuitCase{"KeepRemoving", "keepRemoving", false}),
                         zembra::test::CaseName());
