// The leftover screens as a user drives them, offscreen: the review's rows and their
// reasons, the keyboard, the search as a cancellable job, the removal when something is not
// what it was (a running application, entries that cannot go, another application at a
// remembered path, quitting while it runs), and the outcome with its prompts. What is
// deleted or kept is the core's to check.
#include "leftovers/screens/LeftoverScreens.h"
#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/EntryLook.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/screens/CantRemoveViewController.h"
#include "leftovers/screens/LaunchedViewController.h"
#include "leftovers/screens/LeftoverTableModel.h"
#include "leftovers/screens/OutcomeKeys.h"
#include "leftovers/screens/RateAppCount.h"
#include "leftovers/screens/RateAppViewController.h"
#include "leftovers/screens/RatingKeys.h"
#include "leftovers/screens/RemainderRowDelegate.h"
#include "leftovers/screens/RemainderViewController.h"
#include "leftovers/screens/RemoveViewController.h"
#include "periphery/StoreLinks.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/Job.h"
#include "shell/NotificationCenter.h"
#include "shell/RememberedReview.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenProbes.h"
#include "support/CaseName.h"
#include "support/TreeBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zembra;
using namespace zembra::test;
using platform::itemExists;
namespace fs = std::filesystem;

namespace {

// A search that waits until the test releases it or the screen cancels it, then runs
// the real one. Shared with the worker, so it outlives the screen.
struct GatedSearch {
    std::atomic<bool> entered{false}, released{false}, sawCancel{false}, ended{false};

    static RemainderViewController::Search function(const std::shared_ptr<GatedSearch> &self) {
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

// A temporary tree with its grants and the application Foo chosen, an application delegate
// on test settings with the leftover screens registered, a workspace that records what it
// was asked, and the screen names posted.
class ReviewScreen : public ::testing::Test {
protected:
    void SetUp() override {
        settings.grantTree(t, "Users/me", false);
        app = std::make_unique<AppDelegate>(settings.store(), suite.store());
        leftovers::RemovalServices services;
        services.playCompletionSound = [this] { ++sounds; };
        registerLeftoverScreens(app->storyboard(), *app, services);
        platform::Workspace::setShared(&workspace);
        for (const QString &name :
             {screens::kHomeViewController, screens::kApplicationsViewController,
              screens::kRemoveViewController})
            NotificationCenter::defaultCenter().addObserver(
                &observer, name, [this, name] { posted.push_back(name); });
        window.resize(600, 420);
        window.show();
        bundle = t.app("Applications/Foo.app", "com.vendor.foo", "Foo", "Foo");
        prefs = t.file("Users/me/Library/Preferences/com.vendor.foo.plist", std::string(1000, 'p'));
        caches = t.file("Users/me/Library/Caches/com.vendor.foo/cache.db", std::string(500, 'c'));
        cookies =
            t.file("Users/me/Library/Cookies/com.vendor.foo.binarycookies", std::string(20, 'k'));
        t.file("Users/me/Library/Preferences/com.other.bar.plist");
        item = choose(bundle);
    }
    void TearDown() override {
        delete screen;
        QThreadPool::globalInstance()->waitForDone(); // no search outlives the settings
        NotificationCenter::defaultCenter().removeObservers(&observer);
        platform::Workspace::setShared(nullptr);
    }

    // Makes the record of a bundle of the tree the shared item, as the list does.
    std::shared_ptr<ApplicationItem> choose(const fs::path &bundle) {
        auto chosen = Application(settings.store()).application(bundle);
        app->state().setItem(chosen);
        return chosen;
    }
    // Shows the screen `identifier` in the window, replacing the one shown.
    QWidget *open(const QString &identifier) {
        delete screen;
        screen = app->storyboard().instantiate(identifier, &window);
        screen->resize(window.size());
        screen->show();
        return screen;
    }
    template <typename T> T *child(const char *name) const {
        return screen->findChild<T *>(QString::fromLatin1(name));
    }
    // The sheet (window-modal dialog) that holds a `T`, if one is open.
    template <typename T> T *sheetContent() const {
        for (QDialog *d : window.findChildren<QDialog *>())
            if (d->isVisible())
                if (T *content = d->findChild<T *>())
                    return content;
        return nullptr;
    }
    // Shows the review of the shared item, on `services` and `search`, and waits until
    // its results are shown (unless the search is gated).
    RemainderViewController *review(leftovers::RemovalServices services = {},
                                    RemainderViewController::Search search = {}) {
        services.playCompletionSound = [this] { ++sounds; };
        const bool gated = bool(search);
        delete screen;
        auto *r = new RemainderViewController(*app, services, &window, std::move(search));
        screen = r;
        r->resize(window.size());
        r->show();
        table = child<QTableView>("tableviewR");
        EXPECT_TRUE(gated ||
                    waitFor([this] { return !child<QProgressBar>("progress")->isVisible(); }));
        return r;
    }
    QStringList rows() const { return labels(table->model()); }
    int rowOf(const QString &text) const { return int(rows().indexOf(text)); }
    bool checked(int row) const {
        return table->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    // Space on a row: the user unticks (or ticks) it.
    void toggle(const QString &row) {
        table->setFocus();
        table->setCurrentIndex(table->model()->index(rowOf(row), 1));
        QTest::keyClick(table, Qt::Key_Space);
    }
    QPushButton *removeButton() const { return child<QPushButton>("switch_remove"); }
    QString total() const { return child<QLabel>("totalLabel")->text(); }
    // Presses Remove and waits for the outcome screen, which it then shows.
    RemoveViewController *removeAndShowOutcome() {
        QTest::mouseClick(removeButton(), Qt::LeftButton);
        EXPECT_TRUE(waitFor([this] { return !posted.empty(); }));
        return static_cast<RemoveViewController *>(open(screens::kRemove));
    }
    std::string text(const char *label) const { return child<QLabel>(label)->text().toStdString(); }
    // One completed removal: the counters as given, then the outcome screen appears.
    RemoveViewController *outcome(int removalsBefore, int launches, int rated = 0) {
        settings.store().setInteger(screens::kRemoveAppCount, removalsBefore);
        settings.store().setInteger(screens::kAppLaunchCount, launches);
        settings.store().setInteger(screens::kAppIsRate, rated);
        return static_cast<RemoveViewController *>(open(screens::kRemove));
    }
    template <typename T> static T *popoverContent(RemoveViewController *s) {
        return s->popover() && s->popover()->isVisible() ? s->popover()->findChild<T *>() : nullptr;
    }
    int setting(const QString &key) { return settings.store().integerForKey(key); }

    TreeBuilder t;
    TestSettings settings, suite;
    std::unique_ptr<AppDelegate> app;
    RecordingWorkspace workspace;
    QObject observer;
    std::vector<QString> posted;
    QWidget window;
    QWidget *screen = nullptr;
    int sounds = 0;
    fs::path bundle, prefs, caches, cookies;
    std::shared_ptr<ApplicationItem> item;
    QTableView *table = nullptr;
};

} // namespace

TEST_F(ReviewScreen, Search_ShowsGroupedRowsAllSelected_ThenRemovesTheSelection) {
    // The application's own icon, which the outcome shows after the bundle is gone.
    const fs::path icon = t.file("Applications/Foo.app/Contents/Resources/Foo.png");
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString(icon.native())));
    item->setApp_icon(ImageRef::imageFile(icon));
    auto *review = static_cast<RemainderViewController *>(open(screens::kRemainder));
    EXPECT_FALSE(removeButton()->isEnabled()); // until the results are taken over
    ASSERT_TRUE(waitFor([review] { return review->searchFinished(); }));
    table = child<QTableView>("tableviewR");

    EXPECT_EQ(rows(), (QStringList{"Executables", "Foo.app", "Preferences", "com.vendor.foo.plist",
                                   "Support files", "com.vendor.foo", "Cookie files"}));
    EXPECT_EQ(table->model()->index(6, 1).data().toString(), QStringLiteral("~/Library/Cookies"));
    const std::uint64_t all = platform::itemSize(bundle) + 1000 + 500 + 20;
    EXPECT_EQ(app->state().common_remove_size(), all);
    EXPECT_EQ(total(), QStringLiteral("Selected: %1").arg(platform::formatByteCount(all)));
    // Every control named once; the rows read as the entries' names, with their boxes.
    expectControlsNamedOnce(&window, "review");
    QAccessibleInterface *cells = QAccessible::queryAccessibleInterface(table);
    ASSERT_TRUE(cells && cells->tableInterface());
    EXPECT_EQ(cells->text(QAccessible::Name), QStringLiteral("Leftovers"));
    EXPECT_EQ(cells->tableInterface()->cellAt(1, 0)->text(QAccessible::Name),
              QStringLiteral("Foo.app"));
    EXPECT_TRUE(cells->tableInterface()->cellAt(3, 0)->state().checkable);

    // The reveal button of the cookies row shows that entry.
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {},
        RemainderRowDelegate::revealRect(table->visualRect(table->model()->index(6, 3))).center());
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{{cookies}});

    // Keep the caches folder (Space on its row), remove the rest.
    toggle(QStringLiteral("com.vendor.foo"));
    EXPECT_FALSE(checked(rowOf("com.vendor.foo")));
    removeAndShowOutcome();
    EXPECT_EQ(posted, std::vector<QString>{screens::kRemoveViewController});
    EXPECT_FALSE(itemExists(bundle));
    EXPECT_TRUE(itemExists(caches));
    EXPECT_EQ(sounds, 1);
    // The outcome shows the item, its icon and the freed size.
    EXPECT_EQ(text("name"), "Foo");
    EXPECT_FALSE(child<QLabel>("image")->pixmap().isNull());
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(all - 500));
}

TEST_F(ReviewScreen, NoItemOrNothingTicked_NothingToRemove_KeptEntrySaysWhy_BackFollowsSheet) {
    const QString logs =
        platform::displayPath(t.file("Users/me/Library/Logs/Foo/Foo.log").parent_path());
    app->state().setItem(nullptr);
    review();
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_FALSE(removeButton()->isEnabled());

    choose(bundle);
    auto *r = review();
    // An entry kept inside a listed folder: the folder is unticked and says why.
    QAbstractItemModel *model = table->model();
    const QModelIndex folder = model->index(rowOf("Foo"), 0);
    model->setData(model->index(rowOf("Foo.log"), 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(checked(folder.row()));
    EXPECT_EQ(folder.data(Qt::ToolTipRole).toString(),
              logs + QStringLiteral("\nHolds a kept entry"));
    model->setData(folder, Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(checked(rowOf("Foo.log")));
    EXPECT_EQ(folder.data(Qt::ToolTipRole).toString(), logs);

    for (int row = 0; row < table->model()->rowCount(); ++row)
        table->model()->setData(table->model()->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(removeButton()->isEnabled());
    EXPECT_EQ(total(), QStringLiteral("Selected: Zero KB"));
    EXPECT_FALSE(table->model()->flags(table->model()->index(0, 0)) & Qt::ItemIsUserCheckable);
    table->model()->setData(table->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(removeButton()->isEnabled());
    EXPECT_EQ(app->state().common_remove_size(), platform::itemSize(bundle));

    for (int sheet : {1, 0, 2}) {
        settings.store().setInteger(screens::kSheet, sheet);
        r->back();
    }
    EXPECT_EQ(posted, (std::vector<QString>{screens::kApplicationsViewController,
                                            screens::kHomeViewController}));
}

TEST_F(ReviewScreen, RunningApplication_RefusedWithNoticeAndNothingDeleted) {
    BundledProcess foo(bundle, "Foo");
    ASSERT_TRUE(foo.running());
    app->state().setRemainder_urls({FileEntry::file("/earlier")});
    review();
    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return sheetContent<LaunchedViewController>() != nullptr; }));
    EXPECT_EQ(sheetContent<LaunchedViewController>()->findChild<QLabel *>("label")->text(),
              QStringLiteral("Foo"));
    EXPECT_TRUE(posted.empty());
    EXPECT_TRUE(itemExists(bundle)); // the refusal itself: Removal's core tests
    EXPECT_EQ(app->state().remainder_urls(), std::vector<FileEntry>{FileEntry::file("/earlier")});
    EXPECT_TRUE(removeButton()->isEnabled());
    EXPECT_EQ(sounds, 0);
}

TEST_F(ReviewScreen, UndeletableEntries_OutcomeRevealsEveryOne_FreedSizeWithoutThem) {
    review();
    // The home grant is lost before the removal: the scope refuses the leftovers, the
    // application itself goes.
    const std::uint64_t appSize = platform::itemSize(bundle);
    settings.store().remove(grants::kHome);
    auto *outcome = removeAndShowOutcome();
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(appSize));
    ASSERT_TRUE(outcome->popover() && outcome->popover()->isVisible());
    auto *cant = outcome->popover()->findChild<CantRemoveViewController *>();
    ASSERT_TRUE(cant);
    QTest::mouseClick(cant->findChild<QPushButton *>("show_in_finder"), Qt::LeftButton);
    EXPECT_EQ(workspace.revealed,
              (std::vector<std::vector<fs::path>>{{prefs, caches.parent_path(), cookies}}));
}

// Which rows start unticked is the core's rule; here what the screen tells of them.
TEST_F(ReviewScreen, RowsStartingUnticked_SayWhy_OnlyTheSharedOneBadged_AClickTicksIt) {
    t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2", "Sketchpad 2");
    t.app("Applications/Go.app", "com.gosoft.go", "Go", "Go");
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad2.plist", std::string(200, 't'));
    t.entries({"Users/me/Library/HTTPStorages/com.lumina.sketchpad.ShipIt/httpstorages.sqlite",
               "Users/me/Library/Preferences/com.gosoft.go.plist",
               "Users/me/Library/Application Support/Google/Chrome/Local State",
               "Library/LaunchAgents/com.vendor.foo.agent.plist"});
    const struct {
        const char *app, *row, *note, *why;
        bool flagged, systemSearched;
    } cases[] = {
        {"Sketchpad", "Users/me/Library/Preferences/com.lumina.sketchpad2.plist",
         "Also used by Sketchpad 2", "Also used by Sketchpad 2", true, false},
        {"Sketchpad", "Users/me/Library/HTTPStorages/com.lumina.sketchpad.ShipIt",
         "Identifier of the same product", "Possibly related: identifier of the same product",
         false, false},
        {"Go", "Users/me/Library/Application Support/Google", "Weak match", "Weak match", false,
         false},
        // The system folders searched but not open to deletion (their grant is not the
        // disk's root).
        {"Foo", "Library/LaunchAgents/com.vendor.foo.agent.plist", "Needs access to system folders",
         "Needs access to system folders", false, true},
    };
    window.resize(700, 600); // every row in view, for the badge
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        if (c.systemSearched) {
            settings.grant(grants::kMacOS, t.root());
            settings.store().setInteger(grants::kAllowAny, 1);
        }
        choose(t / (std::string("Applications/") + c.app + ".app"));
        review();
        const fs::path path = t / c.row;
        const int row = rowOf(path.filename().c_str());
        ASSERT_GE(row, 0) << rows().join('|').toStdString();
        const QModelIndex cell = table->model()->index(row, 0);
        EXPECT_FALSE(checked(row));
        EXPECT_EQ(cell.data(LeftoverTableModel::NoteRole).toString(), QString::fromUtf8(c.note));
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(),
                  platform::displayPath(path) + QLatin1Char('\n') + QString::fromUtf8(c.why));
        EXPECT_EQ(cell.data(LeftoverTableModel::FlaggedRole).toBool(), c.flagged);
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(table)->tableInterface()->cellAt(row, 0)->text(
                QAccessible::Description),
            QString::fromUtf8(c.note));
        if (c.systemSearched)
            continue; // a launch agent's own icon is amber
        // The badge's amber shows in the flagged row's name cell only.
        const QImage shot = table->viewport()->grab().toImage();
        const QRect area = table->visualRect(cell) & shot.rect();
        int amber = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor p = shot.pixelColor(x, y);
                amber += p.red() > 190 && p.green() > 100 && p.green() < 150 && p.blue() < 40;
            }
        EXPECT_EQ(amber > 10, c.flagged) << amber;
        // A click on the box ticks it (what it then counts is the core's rule).
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          RemainderRowDelegate::checkRect(table->visualRect(cell)).center());
        EXPECT_TRUE(checked(row));
    }
}

TEST_F(ReviewScreen, KeyboardOnly_TabLeavesTheTable_FrameOnlyForTheKeyboard_EnterRemovesTheRest) {
    review();
    QApplication::setActiveWindow(&window);
    const auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    const auto press = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
        QCoreApplication::processEvents();
    };
    const int prefsRow = rowOf("com.vendor.foo.plist");
    const QRect cell = table->visualRect(table->model()->index(prefsRow, 1));
    const auto framed = [&] {
        return table->viewport()->grab().toImage().pixelColor(cell.center().x(), cell.top()) ==
               table->palette().color(QPalette::Highlight);
    };
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(table->hasFocus());
    EXPECT_FALSE(framed()) << "a click draws no focus frame";

    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("backButton"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("switch_remove"));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), QStringLiteral("tableviewR"));
    EXPECT_TRUE(framed()) << "the keyboard's focus is shown";
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(focused(), QStringLiteral("backButton")) << "Ctrl+Tab leaves the table too";

    // Back into the table, down to the preference file, untick it, remove the rest.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focused(), QStringLiteral("tableviewR"));
    table->setCurrentIndex(table->model()->index(0, 0));
    for (int row = 0; row < prefsRow; ++row)
        press(Qt::Key_Down);
    ASSERT_EQ(table->currentIndex().row(), prefsRow);
    press(Qt::Key_Space);
    EXPECT_FALSE(checked(prefsRow));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_EQ(posted.back(), screens::kRemoveViewController);
    EXPECT_TRUE(fs::exists(prefs)) << "the unticked row stays";
    EXPECT_FALSE(fs::exists(bundle));
}

TEST_F(ReviewScreen, HostileName_EscapedInTitleRowsAndOutcome_LongNameCutInTheMiddle) {
    const fs::path odd =
        t.app("Applications/Evil\nName\u202e.app", "com.vendor.evil", "Evil", "Evil");
    t.file("Users/me/Library/Preferences/com.vendor.evil\x1b[2J.plist");
    const QString name = QStringLiteral("Evil\nName\u202egnp.exe") +
                         QString(300, QLatin1Char('x')) + QStringLiteral("end");
    choose(odd)->setLabel(name);
    review();
    auto *title = child<QLabel>("titleLabel");
    EXPECT_FALSE(title->text().contains(QLatin1Char('\n')));
    EXPECT_TRUE(title->text().contains(QStringLiteral("\\n")));
    EXPECT_TRUE(title->text().contains(QChar(0x2026))) << "cut with an ellipsis";
    EXPECT_TRUE(title->toolTip().startsWith(QStringLiteral("Evil\\nName\\u202egnp.exe")));
    EXPECT_EQ(title->accessibleName(), title->toolTip());
    EXPECT_NE(rowOf(QStringLiteral("Evil\\nName\\u202e.app")), -1)
        << rows().join('|').toStdString();
    EXPECT_NE(rowOf(QStringLiteral("com.vendor.evil\\x1b[2J.plist")), -1);
    for (const QString &row : rows())
        for (const QChar c : row)
            EXPECT_FALSE(c.category() == QChar::Other_Control || c.unicode() == 0x202e)
                << row.toStdString();

    SCOPED_TRACE("the outcome's name");
    outcome(0, 3);
    auto *label = child<QLabel>("name");
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Evil\\nName\\u202e")))
        << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("xend"))) << "both ends kept";
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_EQ(label->toolTip(), platform::visiblyEscaped(name));
    EXPECT_EQ(label->accessibleName(), label->toolTip());
}

// Back, or the screen destroyed (quitting, another item chosen), while the search runs:
// the worker sees the cancel without being released, and nothing reaches the item. Let
// through, it fills the screen before it signals its end.
TEST_F(ReviewScreen, SearchJob_LeftDuringTheSearchCancelsIt_OtherwiseFillsTheScreenAtItsEnd) {
    for (const bool back : {true, false}) {
        SCOPED_TRACE(back ? "Back" : "destroyed");
        auto gate = std::make_shared<GatedSearch>();
        posted.clear();
        review({}, GatedSearch::function(gate));
        ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
        if (back) {
            QTest::mouseClick(child<QPushButton>("backButton"), Qt::LeftButton);
            EXPECT_EQ(posted, std::vector<QString>{screens::kHomeViewController});
        } else {
            delete screen;
            screen = nullptr;
        }
        ASSERT_TRUE(waitFor([&] { return gate->ended.load(); }));
        delete screen;
        screen = nullptr;
        EXPECT_TRUE(gate->sawCancel);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_TRUE(item->files().empty()) << "a cancelled search wrote into the shared item";
    }

    auto gate = std::make_shared<GatedSearch>();
    RemainderViewController *r = review({}, GatedSearch::function(gate));
    int rowsAtEnd = -1;
    bool busyAtEnd = true, removableAtEnd = false;
    QObject::connect(r->findChild<JobSignals *>(QStringLiteral("reviewSearch")),
                     &JobSignals::finished, &observer, [&] {
                         rowsAtEnd = table->model()->rowCount();
                         busyAtEnd = child<QProgressBar>("progress")->isVisible();
                         removableAtEnd = removeButton()->isEnabled();
                     });
    ASSERT_TRUE(waitFor([&] { return gate->entered.load(); }));
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_TRUE(child<QProgressBar>("progress")->isVisible());
    gate->released = true;
    ASSERT_TRUE(waitFor([&] { return rowsAtEnd >= 0; }));
    EXPECT_GT(rowsAtEnd, 0) << "the rows were not there when the search signalled its end";
    EXPECT_FALSE(busyAtEnd);
    EXPECT_TRUE(removableAtEnd);
    EXPECT_TRUE(r->searchFinished());
    EXPECT_FALSE(gate->sawCancel);
    EXPECT_FALSE(item->files().empty()) << "the shared item got the search's lists";
}

// The notice's review, end to end; which path a remembered record keeps is the core's rule.
TEST_F(ReviewScreen, RememberedApplication_AnotherAtItsOldPath_NotListedNotDeleted) {
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
    EXPECT_FALSE(itemExists(pref));
    EXPECT_TRUE(itemExists(paint / "Contents/Info.plist"));
    EXPECT_EQ(text("caption"), "Leftovers removed. Space freed:");
    EXPECT_EQ(text("details"), "1 leftover entry removed.");
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(100));
}

TEST_F(ReviewScreen, Outcome_SaysWhatHappened_KeptBundleOrNothingRemoved) {
    const fs::path chess = t.app("Applications/Chess.app", "com.vendor.chess", "Chess", "Chess");
    t.entries({"Users/me/Library/Preferences/com.vendor.chess.plist",
               "Users/me/Library/Logs/Chess/Chess.log"});
    choose(chess);
    // The application unticked: it stays, and the outcome says so.
    review();
    toggle(QStringLiteral("Chess.app"));
    removeAndShowOutcome();
    EXPECT_TRUE(itemExists(chess));
    EXPECT_EQ(text("name"), "Chess");
    EXPECT_EQ(text("caption"), "was kept. Space freed:");
    EXPECT_EQ(text("details"), "3 leftover entries removed."); // the log folder, and the log in it

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
    EXPECT_TRUE(itemExists(stuck));
    EXPECT_EQ(text("caption"), "was kept. Space freed:");
    EXPECT_EQ(text("details"), "No leftover entries removed. 1 entry could not be removed.");
    EXPECT_EQ(text("size"), "Zero KB");
}

namespace {

struct QuitCase {
    const char *name;
    const char *answer; // the button of the question the user presses
    bool stopped;
};

ZEMBRA_PRINT_CASE_BY_NAME(QuitCase)

class QuitDuringRemoval : public ReviewScreen, public ::testing::WithParamInterface<QuitCase> {};

} // namespace

TEST_P(QuitDuringRemoval,
       ControlsOffWhileItRuns_QuitAsksThenStopsOrKeepsGoing_OutcomeTellsWhatRemains) {
    // The first deletion waits for the test: the removal is under way meanwhile.
    std::atomic<bool> release{false}, entered{false};
    struct Release {
        std::atomic<bool> &flag;
        ~Release() { flag = true; } // a failed assertion must not leave the worker waiting
    } guard{release};
    leftovers::RemovalServices slow;
    slow.removeItem =
        [&, scope = grants::GrantStore(settings.store()).deletionScope()](const fs::path &p) {
            entered = true;
            while (!release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return scope.remove(p);
        };
    review(slow);
    QTest::mouseClick(removeButton(), Qt::LeftButton);
    // The quit comes while the first entry is under way, not before the worker began.
    ASSERT_TRUE(waitFor([&] { return entered.load(); }));
    // While it runs: a progress bar over every row, nothing to press.
    auto *progress = child<QProgressBar>("removalProgress");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), table->model()->rowCount());
    EXPECT_FALSE(removeButton()->isEnabled());
    EXPECT_FALSE(child<QPushButton>("backButton")->isEnabled());
    EXPECT_FALSE(table->isEnabled());

    app->terminateApp(); // Quit, from the menu or Ctrl+Q
    auto *question = window.findChild<QMessageBox *>(QStringLiteral("quitQuestion"));
    ASSERT_TRUE(question);
    ASSERT_TRUE(waitFor([question] { return question->isVisible(); }));
    EXPECT_TRUE(question->text().contains(QStringLiteral("Stop after the current entry")));
    QTest::mouseClick(question->findChild<QPushButton *>(QString::fromLatin1(GetParam().answer)),
                      Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());

    release = true;
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    open(screens::kRemove);
    EXPECT_FALSE(itemExists(bundle)); // the entry under way was finished
    for (const fs::path &leftover : {prefs, caches.parent_path(), cookies})
        EXPECT_EQ(itemExists(leftover), GetParam().stopped) << leftover;
    EXPECT_EQ(text("caption"), "has been removed. Space freed:");
    EXPECT_EQ(app->state().remainder_urls().size(), GetParam().stopped ? 3u : 0u);
    EXPECT_EQ(text("details"),
              GetParam().stopped
                  ? "No leftover entries removed. 3 entries could not be removed. The removal was "
                    "stopped before its end; what was not removed stays."
                  : "3 leftover entries removed.");
    EXPECT_EQ(settings.store().integerForKey(QStringLiteral("remove_app_count")), 1);
}

INSTANTIATE_TEST_SUITE_P(Trust, QuitDuringRemoval,
                         ::testing::Values(QuitCase{"Stop", "stopRemoval", true},
                                           QuitCase{"KeepRemoving", "keepRemoving", false}),
                         zembra::test::CaseName());

TEST(EntryLook, PathGivesIconAndName) {
    using enum leftovers::EntryIcon;
    const struct {
        const char *path;
        bool folder;
        leftovers::EntryIcon icon;
        const char *name;
    } cases[] = {
        {"/h/Library/Logs/Foo/run.log", false, Document, "run.log"},
        {"/h/Library/Application Support/Foo", true, Folder, "Foo"},
        {"/Applications/Foo.app", true, ItemBundle, "Foo.app"},
        {"/h/Library/PreferencePanes/Foo.prefPane", true, ItemBundle, "Foo.prefPane"},
        {"/h/Library/Application Support/Foo/Helper.APP", true, Folder, "Helper.APP"},
        {"/h/Library/Preferences/com.vendor.foo.plist", false, Preferences, "com.vendor.foo.plist"},
        {"/h/Library/Cookies/com.vendor.foo.binarycookies", false, WebLocation, "Cookie files"},
        {"/h/Library/Application Support/CrashReporter/F_1.plist", false, CrashReport, "F_1.plist"},
        {"/h/Library/Logs/DiagnosticReports/Foo.crash", false, CrashReport, "Foo.crash"},
        {"/h/Library/LaunchAgents/com.vendor.foo.plist", false, LaunchAgent,
         "com.vendor.foo.plist"},
        // A later rule wins: Preferences, then LaunchAgents.
        {"/h/Library/Preferences/LaunchAgents/x", false, LaunchAgent, "x"},
        {"/Library/LaunchDaemons/com.vendor.foo.plist", false, LaunchAgent, "com.vendor.foo.plist"},
        {"/h/Library/Address Book Plug-Ins/Foo.bundle", true, BundleType, "Foo.bundle"},
        {"/h/Library/Caches/com.apple.helpd/Generated/com.vendor.foo", true, Help, "Help files"},
        {"/h/Library/Services/Foo.workflow", true, Workflow, "Foo.workflow"},
        {"/h/Desktop/Foo Notes.txt", false, OwnIcon, "Foo Notes.txt"},
        // Case-sensitive: "cookies" is not "Cookies".
        {"/h/Library/Caches/cookies-foo", true, Folder, "cookies-foo"},
        // A cookie inside a Desktop folder: the desktop rule comes last, the name stays.
        {"/h/Desktop/Cookies/a", false, OwnIcon, "Cookie files"},
        // A name that is not UTF-8: shown with the replacement character.
        {"/h/Library/Caches/foo\xff", true, Folder, "foo\uFFFD"},
    };
    for (const auto &c : cases) {
        const auto look = leftovers::entryLook(c.path, c.folder);
        EXPECT_EQ(look.icon, c.icon) << c.path;
        EXPECT_EQ(look.name, QString::fromUtf8(c.name)) << c.path;
    }
}

// The removal counter grows whatever prompt comes.
TEST_F(ReviewScreen,
       OutcomePrompts_TenthRemovalPopover_TenthLaunchSheet_NoneOnceRated_LeftEntriesFirst) {
    const FileEntry left = FileEntry::file(t.file("Users/me/Library/Logs/stuck.log")),
                    gone = FileEntry::file(t / "Users/me/gone");
    enum Popover { None, Rate, Cant };
    const char *rate10 = "You are removed 10 apps.You enjoyed this app?";
    const struct {
        int removalsBefore, launches, rated;
        std::vector<FileEntry> remainder;
        Popover popover;
        bool sheet;
        const char *says; // what the popover or the sheet says, lines split by "|"
    } cases[] = {
        {9, 3, 0, {}, Rate, false, rate10},
        {10, 3, 0, {}, None, false, ""},
        {4, 20, 0, {}, None, true, "You use app 20 times.Do you like Uninstaller zembra?"},
        {9, 20, 0, {}, Rate, false, rate10},
        {9, 20, 1, {}, None, false, ""},
        {0, 0, 0, {}, None, false, ""},
        // What could not be removed comes first, and only while its first entry exists.
        {9,
         10,
         0,
         {left, gone},
         Cant,
         false,
         "Some entries could not be removed.|Show the remaining entries in the file manager"},
        {19, 3, 0, {gone, left}, Rate, false, "You are removed 20 apps.You enjoyed this app?"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.removalsBefore << " removals, " << c.launches << " launches, rated "
                     << c.rated << ", " << c.remainder.size() << " left");
        app->state().setRemainder_urls(c.remainder);
        auto *s = outcome(c.removalsBefore, c.launches, c.rated);
        EXPECT_EQ(setting(screens::kRemoveAppCount), c.removalsBefore + 1);
        EXPECT_EQ(popoverContent<RateAppViewController>(s) != nullptr, c.popover == Rate);
        EXPECT_EQ(popoverContent<CantRemoveViewController>(s) != nullptr, c.popover == Cant);
        EXPECT_EQ(s->popover() != nullptr, c.popover != None);
        auto *sheet = sheetContent<RateAppCount>();
        EXPECT_EQ(sheet != nullptr, c.sheet);
        expectControlsNamedOnce(&window, "outcome");
        if (*c.says)
            expectInAccessibilityTree(sheet ? sheet->window() : s->popover(),
                                      QString::fromUtf8(c.says).split(QLatin1Char('|')), c.says);
        if (s->popover())
            expectControlsNamedOnce(s->popover(), "popover");
        if (sheet)
            sheet->window()->close();
    }
}

TEST_F(ReviewScreen, OutcomeStoreButtons_OpenTheWebPageAndSilence_LaterOnlyCloses) {
    auto *s = outcome(9, 3);
    auto *rate = popoverContent<RateAppViewController>(s);
    ASSERT_TRUE(rate);
    QTest::mouseClick(rate->findChild<QPushButton *>("no"), Qt::LeftButton);
    EXPECT_FALSE(s->popover() && s->popover()->isVisible());
    EXPECT_EQ(setting(screens::kAppIsRate), 0);
    EXPECT_TRUE(workspace.opened.empty());

    s = outcome(19, 3);
    rate = popoverContent<RateAppViewController>(s);
    ASSERT_TRUE(rate);
    QTest::mouseClick(rate->findChild<QPushButton *>("Dislike"), Qt::LeftButton);
    EXPECT_FALSE(s->popover() && s->popover()->isVisible());
    EXPECT_EQ(setting(screens::kAppIsRate), 1);
    // No handler for the store's scheme here: the product's web page instead.
    EXPECT_EQ(workspace.opened, std::vector<QUrl>{kProductWebPage});

    outcome(4, 30);
    auto *sheet = sheetContent<RateAppCount>();
    ASSERT_TRUE(sheet);
    QTest::mouseClick(sheet->findChild<QPushButton *>("yesApp"), Qt::LeftButton);
    EXPECT_EQ(setting(screens::kAppIsRate), 1);
    EXPECT_TRUE(sheet->isVisible()); // the sheet stays
}
