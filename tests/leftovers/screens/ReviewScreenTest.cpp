#include "ScreenFixture.h"

#include "grants/GrantKeys.h"

#include "leftovers/screens/CantRemoveViewController.h"
#include "leftovers/screens/LaunchedViewController.h"
#include "leftovers/screens/LeftoverTableModel.h"
#include "leftovers/screens/RemainderRowDelegate.h"
#include "leftovers/screens/RemainderViewController.h"
#include "leftovers/screens/RemoveViewController.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QAccessible>
#include <QImage>
#include <QProgressBar>
#include <QTableView>
#include <QTest>

#include <atomic>
#include <thread>

using namespace zembra;
using namespace zembra::test;
namespace fs = std::filesystem;

namespace {

class ReviewScreen : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        bundle = t.app("Applications/Foo.app", "com.vendor.foo", "Foo", "Foo");
        prefs = t.file("Users/me/Library/Preferences/com.vendor.foo.plist", std::string(1000, 'p'));
        caches = t.file("Users/me/Library/Caches/com.vendor.foo/cache.db", std::string(500, 'c'));
        cookies =
            t.file("Users/me/Library/Cookies/com.vendor.foo.binarycookies", std::string(20, 'k'));
        t.file("Users/me/Library/Preferences/com.other.bar.plist");
        choose(bundle);
    }

    // Opens the review and waits until the results are shown.
    RemainderViewController *review() {
        auto *r = static_cast<RemainderViewController *>(open(screens::kRemainder));
        EXPECT_TRUE(waitFor([this] { return !child<QProgressBar>("progress")->isVisible(); }));
        table = child<QTableView>("tableviewR");
        return r;
    }
    QStringList firstColumn() const { return labels(table->model()); }
    int rowOf(const QString &text) const { return int(firstColumn().indexOf(text)); }
    bool checked(int row) const {
        return table->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    QPushButton *removeButton() const { return child<QPushButton>("switch_remove"); }
    QString total() const { return child<QLabel>("totalLabel")->text(); }

    fs::path bundle, prefs, caches, cookies;
    QTableView *table = nullptr;
};

} // namespace

TEST_F(ReviewScreen, Search_ShowsGroupedRowsAllSelected_ThenRemovesTheSelection) {
    // The application's own icon, which the outcome shows after the bundle is gone.
    const fs::path icon = bundle / "Contents/Resources/Foo.png";
    fs::create_directories(icon.parent_path());
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString(icon.native())));
    app->state().item()->setApp_icon(ImageRef::imageFile(icon));
    auto *review = static_cast<RemainderViewController *>(open(screens::kRemainder));
    EXPECT_FALSE(removeButton()->isEnabled()); // until the results are taken over
    EXPECT_EQ(app->state().common_remove_size(), 0u);
    ASSERT_TRUE(waitFor([review] { return review->searchFinished(); }));
    review = this->review();

    EXPECT_EQ(firstColumn(),
              (QStringList{"Executables", "Foo.app", "Preferences", "com.vendor.foo.plist",
                           "Support files", "com.vendor.foo", "Cookie files"}));
    for (int row : {1, 3, 5, 6})
        EXPECT_TRUE(checked(row)) << row;
    EXPECT_EQ(table->rowHeight(0), 20);
    EXPECT_EQ(table->rowHeight(1), 40);
    EXPECT_EQ(table->model()->index(rowOf("Cookie files"), 1).data().toString(),
              QStringLiteral("~/Library/Cookies"));
    EXPECT_TRUE(removeButton()->isEnabled());
    const std::uint64_t all = platform::itemSize(bundle) + 1000 + 500 + 20;
    EXPECT_EQ(app->state().common_remove_size(), all);
    EXPECT_EQ(total(), QStringLiteral("Selected: %1").arg(platform::formatByteCount(all)));

    // The reveal button of the cookies row shows that entry.
    const QRect reveal = RemainderRowDelegate::revealRect(
        table->visualRect(table->model()->index(rowOf("Cookie files"), 3)));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, reveal.center());
    ASSERT_EQ(workspace.revealed.size(), 1u);
    EXPECT_EQ(workspace.revealed[0], std::vector<fs::path>{cookies});

    // Keep the caches folder (Space on its row), remove the rest.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(rowOf("com.vendor.foo"), 1));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_FALSE(checked(rowOf("com.vendor.foo")));
    EXPECT_EQ(app->state().common_remove_size(), all - 500);

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<QString>{screens::kRemoveViewController});
    EXPECT_FALSE(platform::itemExists(bundle));
    EXPECT_FALSE(platform::itemExists(prefs));
    EXPECT_FALSE(platform::itemExists(cookies));
    EXPECT_TRUE(platform::itemExists(caches));
    EXPECT_TRUE(app->state().remainder_urls().empty());
    EXPECT_EQ(app->state().common_remove_size(), all - 500);
    EXPECT_EQ(sounds, 1);

    // The outcome screen shows the item, its icon and the freed size.
    open(screens::kRemove);
    EXPECT_EQ(child<QLabel>("name")->text(), QStringLiteral("Foo"));
    EXPECT_FALSE(child<QLabel>("image")->pixmap().isNull());
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(all - 500));
}

// Clicks and Space toggle rows in the tests below; here every row off, then one on.
TEST_F(ReviewScreen, Selection_NothingTicked_NothingToRemove_GroupRowsHaveNoBox) {
    review();
    for (int row = 0; row < table->model()->rowCount(); ++row)
        table->model()->setData(table->model()->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(removeButton()->isEnabled());
    EXPECT_EQ(total(), QStringLiteral("Selected: Zero KB"));
    EXPECT_FALSE(table->model()->flags(table->model()->index(0, 0)) & Qt::ItemIsUserCheckable);
    table->model()->setData(table->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(removeButton()->isEnabled());
    EXPECT_EQ(app->state().common_remove_size(), platform::itemSize(bundle));
}

TEST_F(ReviewScreen, Back_FollowsSheet) {
    auto *review = this->review();
    for (int sheet : {1, 0, 2}) {
        settings.store().setInteger(screens::kSheet, sheet);
        review->back();
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
    for (const fs::path &p : {bundle, prefs, caches, cookies})
        EXPECT_TRUE(platform::itemExists(p)) << p;
    EXPECT_EQ(app->state().remainder_urls(), std::vector<FileEntry>{FileEntry::file("/earlier")});
    EXPECT_EQ(sounds, 0);
    EXPECT_TRUE(removeButton()->isEnabled());
}

TEST_F(ReviewScreen, UndeletableEntries_ReportedAndTakenOffTheFreedSize) {
    review();
    const std::uint64_t appSize = platform::itemSize(bundle);
    // The home grant is lost before the removal: the scope refuses the leftovers, the
    // application itself goes.
    settings.store().remove(grants::kHome);

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_FALSE(platform::itemExists(bundle));
    const std::vector<FileEntry> expected{
        FileEntry::file(prefs), FileEntry::file(caches.parent_path()), FileEntry::file(cookies)};
    EXPECT_EQ(app->state().remainder_urls(), expected);
    EXPECT_EQ(app->state().common_remove_size(), appSize);

    // The outcome offers to reveal what remained: every entry, not only the first.
    auto *outcome = static_cast<RemoveViewController *>(open(screens::kRemove));
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(appSize));
    ASSERT_TRUE(outcome->popover() && outcome->popover()->isVisible());
    auto *cant = outcome->popover()->findChild<CantRemoveViewController *>();
    ASSERT_TRUE(cant);
    QTest::mouseClick(cant->findChild<QPushButton *>("show_in_finder"), Qt::LeftButton);
    ASSERT_EQ(workspace.revealed.size(), 1u);
    EXPECT_EQ(workspace.revealed[0], (std::vector<fs::path>{prefs, caches.parent_path(), cookies}));
}

TEST_F(ReviewScreen, ReviewAndOutcome_EveryControlNamedOnce_RowsReadAsEntryNames) {
    review();
    expectControlsNamedOnce(&window, "review");
    QAccessibleInterface *cells = QAccessible::queryAccessibleInterface(table);
    ASSERT_TRUE(cells && cells->tableInterface());
    EXPECT_EQ(cells->text(QAccessible::Name), QStringLiteral("Leftovers"));
    EXPECT_EQ(cells->tableInterface()->cellAt(1, 0)->text(QAccessible::Name),
              QStringLiteral("Foo.app"));
    EXPECT_EQ(cells->tableInterface()->cellAt(3, 0)->text(QAccessible::Name),
              QStringLiteral("com.vendor.foo.plist"));
    EXPECT_TRUE(cells->tableInterface()->cellAt(3, 0)->state().checkable);

    // The outcome, and its rating popover (a window of its own).
    settings.store().setInteger(QStringLiteral("remove_app_count"), 9);
    auto *outcome = static_cast<RemoveViewController *>(open(screens::kRemove));
    expectControlsNamedOnce(&window, "outcome");
    ASSERT_TRUE(outcome->popover());
    expectControlsNamedOnce(outcome->popover(), "rating popover");
}

TEST_F(ReviewScreen, UnreadableFolders_NoticeNamesThem) {
    auto *review = this->review();
    auto *notice = child<QLabel>("unreadableNotice");
    EXPECT_FALSE(notice->isVisible());
    review->showUnreadableNotice({t / "Users/me/Library/Containers"});
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QStringLiteral("~/Library/Containers")))
        << notice->text().toStdString();
    review->showUnreadableNotice({});
    EXPECT_FALSE(notice->isVisible());
}

TEST_F(ReviewScreen, RemovalInProgress_ButtonsDisabledProgressShown_WindowResponds) {
    // A deletion that waits for the test: the screen must stay responsive meanwhile.
    std::atomic<bool> release{false};
    std::atomic<int> deleted{0};
    struct Release {
        std::atomic<bool> &flag;
        ~Release() { flag = true; } // a failed assertion must not leave the worker waiting
    } guard{release};
    leftovers::RemovalServices services;
    services.playCompletionSound = [] {};
    const platform::DeletionScope scope = grants::GrantStore(settings.store()).deletionScope();
    services.removeItem = [&](const fs::path &p) {
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++deleted;
        return scope.remove(p);
    };
    delete screen;
    screen = new RemainderViewController(*app, services, &window);
    screen->show();
    ASSERT_TRUE(waitFor([this] { return !child<QProgressBar>("progress")->isVisible(); }));
    table = child<QTableView>("tableviewR");

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    auto *progress = child<QProgressBar>("removalProgress");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), table->model()->rowCount());
    EXPECT_FALSE(removeButton()->isEnabled());
    EXPECT_FALSE(child<QPushButton>("backButton")->isEnabled());
    EXPECT_FALSE(table->isEnabled());
    QApplication::processEvents();
    EXPECT_EQ(deleted.load(), 0);
    EXPECT_TRUE(posted.empty());

    release = true;
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_EQ(deleted.load(), 4); // the application and three leftovers
    EXPECT_FALSE(platform::itemExists(bundle));
}

TEST_F(ReviewScreen, NoItem_EmptyReviewNothingToRemove) {
    app->state().setItem(nullptr);
    review();
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_FALSE(removeButton()->isEnabled());
}

TEST_F(ReviewScreen, OtherApplicationsAndRelated_StartUntickedWithWhy_OnlyTickedRowsRemoved) {
    const fs::path sketchpad =
        t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2", "Sketchpad 2");
    const fs::path own =
        t.file("Users/me/Library/Preferences/com.lumina.sketchpad.plist", std::string(100, 'o'));
    const fs::path other =
        t.file("Users/me/Library/Preferences/com.lumina.sketchpad2.plist", std::string(200, 't'));
    const fs::path storage = t.dir("Users/me/Library/HTTPStorages/com.lumina.sketchpad.ShipIt");
    t.file("Users/me/Library/HTTPStorages/com.lumina.sketchpad.ShipIt/httpstorages.sqlite",
           std::string(300, 'h'));
    const fs::path log = t.file("Users/me/Library/Logs/Sketchpad/Sketchpad.log");
    choose(sketchpad);
    window.resize(700, 600); // every row in view, for the picture below
    review();

    EXPECT_EQ(
        firstColumn(),
        (QStringList{"Executables", "Sketchpad.app", "Preferences", "com.lumina.sketchpad.plist",
                     "com.lumina.sketchpad2.plist", "Logs", "Sketchpad", "Sketchpad.log",
                     "Possibly related", "com.lumina.sketchpad.ShipIt"}));
    const QAbstractItemModel *model = table->model();
    auto note = [model](int row) {
        return model->index(row, 0).data(LeftoverTableModel::NoteRole).toString();
    };
    auto flagged = [model](int row) {
        return model->index(row, 0).data(LeftoverTableModel::FlaggedRole).toBool();
    };
    const int bundleRow = rowOf("Sketchpad.app"), ownRow = rowOf("com.lumina.sketchpad.plist"),
              otherRow = rowOf("com.lumina.sketchpad2.plist"),
              relatedRow = rowOf("com.lumina.sketchpad.ShipIt");
    EXPECT_EQ(table->rowHeight(rowOf("Possibly related")), 20);
    EXPECT_EQ(table->columnSpan(rowOf("Possibly related"), 0), LeftoverTableModel::ColumnCount);

    // The item's own rows: ticked, no badge, no note.
    for (int row : {bundleRow, ownRow}) {
        EXPECT_TRUE(checked(row)) << row;
        EXPECT_FALSE(flagged(row)) << row;
        EXPECT_EQ(note(row), QString()) << row;
    }
    // Sketchpad 2's preferences: unticked, badge, and why in the second line and tooltip.
    EXPECT_FALSE(checked(otherRow));
    EXPECT_TRUE(flagged(otherRow));
    EXPECT_EQ(note(otherRow), QStringLiteral("Also used by Sketchpad 2"));
    EXPECT_EQ(model->index(otherRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(other) + QStringLiteral("\nAlso used by Sketchpad 2"));
    // A screen reader hears the same reason.
    QAccessibleInterface *cells = QAccessible::queryAccessibleInterface(table);
    ASSERT_TRUE(cells && cells->tableInterface());
    EXPECT_EQ(cells->tableInterface()->cellAt(otherRow, 0)->text(QAccessible::Description),
              QStringLiteral("Also used by Sketchpad 2"));
    // The related folder: unticked, not flagged, with its reason.
    EXPECT_FALSE(checked(relatedRow));
    EXPECT_FALSE(flagged(relatedRow));
    EXPECT_EQ(note(relatedRow), QStringLiteral("Identifier of the same product"));
    EXPECT_EQ(model->index(relatedRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(storage) +
                  QStringLiteral("\nPossibly related: identifier of the same product"));

    // The badge is drawn on the flagged row's icon only: its amber shows in that cell.
    const QImage shot = table->viewport()->grab().toImage();
    auto amberPixels = [&](int row) {
        const QRect cell = table->visualRect(model->index(row, 0)) & shot.rect();
        int n = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                n += c.red() > 190 && c.green() > 100 && c.green() < 150 && c.blue() < 40;
            }
        return n;
    };
    EXPECT_GT(amberPixels(otherRow), 10);
    EXPECT_EQ(amberPixels(ownRow), 0);
    EXPECT_EQ(amberPixels(relatedRow), 0);

    // A folder unticked because an entry inside it is kept says so.
    const int logsRow = rowOf("Sketchpad"), logRow = rowOf("Sketchpad.log");
    table->model()->setData(model->index(logRow, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(checked(logsRow));
    EXPECT_EQ(model->index(logsRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(log.parent_path()) + QStringLiteral("\nHolds a kept entry"));
    table->model()->setData(model->index(logsRow, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(checked(logRow));
    EXPECT_EQ(model->index(logsRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(log.parent_path()));

    // Only ticked rows count, the log once with its folder: the flagged row by a click,
    // the related row by Space.
    const std::uint64_t start =
        platform::itemSize(sketchpad) + 100 + platform::itemSize(log.parent_path());
    EXPECT_EQ(app->state().common_remove_size(), start);
    const QRect box = RemainderRowDelegate::checkRect(table->visualRect(model->index(otherRow, 0)));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(checked(otherRow));
    EXPECT_EQ(app->state().common_remove_size(), start + 200);
    table->setFocus();
    table->setCurrentIndex(model->index(relatedRow, 2));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_TRUE(checked(relatedRow));
    const std::uint64_t withRelated = start + 200 + platform::itemSize(storage);
    EXPECT_EQ(app->state().common_remove_size(), withRelated);
    EXPECT_EQ(total(), QStringLiteral("Selected: %1").arg(platform::formatByteCount(withRelated)));

    // Sketchpad 2's row unticked again: it survives the removal; the ticked related goes.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_EQ(app->state().common_remove_size(), withRelated - 200);
    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_FALSE(platform::itemExists(sketchpad));
    EXPECT_FALSE(platform::itemExists(own));
    EXPECT_FALSE(platform::itemExists(storage));
    EXPECT_TRUE(platform::itemExists(other));
    EXPECT_TRUE(platform::itemExists(bundle)); // Foo, another application, untouched
    EXPECT_EQ(app->state().common_remove_size(), withRelated - 200);
}

TEST_F(ReviewScreen, KeyboardOnly_TabLeavesTheTable_SpaceUnticks_EnterRemovesTheRest) {
    review();
    QApplication::setActiveWindow(&window);
    table->setFocus(Qt::TabFocusReason);
    auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    auto press = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
        QCoreApplication::processEvents();
    };
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("backButton"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QStringLiteral("switch_remove"));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), QStringLiteral("tableviewR"));
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(focused(), QStringLiteral("backButton")) << "Ctrl+Tab leaves the table too";

    // Back into the table, down to the preference file, untick it, remove the rest.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focused(), QStringLiteral("tableviewR"));
    const int prefsRow = rowOf("com.vendor.foo.plist");
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

TEST_F(ReviewScreen, ClickedRow_NoFocusFrame_KeyboardFocusShowsOne) {
    review();
    QApplication::setActiveWindow(&window);
    const QModelIndex folder = table->model()->index(rowOf("com.vendor.foo.plist"), 1);
    const QRect cell = table->visualRect(folder);
    const QColor frame = table->palette().color(QPalette::Highlight);
    auto framed = [&] {
        const QImage picture = table->viewport()->grab().toImage();
        return picture.pixelColor(cell.left() + cell.width() / 2, cell.top()) == frame;
    };
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(table->hasFocus());
    EXPECT_FALSE(framed()) << "a click draws no focus frame";
    QTest::keyClick(table, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(table->hasFocus());
    EXPECT_TRUE(framed()) << "the keyboard's focus is shown";
}

TEST_F(ReviewScreen, HostileName_EscapedInTitleAndRows_LongNameElidedWhole) {
    const fs::path odd =
        t.app("Applications/Evil\nName\u202e.app", "com.vendor.evil", "Evil", "Evil");
    t.file("Users/me/Library/Preferences/com.vendor.evil\x1b[2J.plist");
    choose(odd)->setLabel(QStringLiteral("Evil\nName\u202egnp.exe") +
                          QString(200, QLatin1Char('x')));
    review();
    auto *title = child<QLabel>("titleLabel");
    EXPECT_FALSE(title->text().contains(QLatin1Char('\n')));
    EXPECT_TRUE(title->text().contains(QStringLiteral("\\n")));
    EXPECT_TRUE(title->text().contains(QChar(0x2026)))
        << "cut with an ellipsis: " << title->text().toStdString();
    EXPECT_TRUE(title->toolTip().startsWith(QStringLiteral("Evil\\nName\\u202egnp.exe")));
    EXPECT_EQ(title->accessibleName(), title->toolTip());
    EXPECT_NE(rowOf(QStringLiteral("Evil\\nName\\u202e.app")), -1)
        << firstColumn().join('|').toStdString();
    EXPECT_NE(rowOf(QStringLiteral("com.vendor.evil\\x1b[2J.plist")), -1)
        << firstColumn().join('|').toStdString();
    for (const QString &text : firstColumn())
        for (const QChar c : text)
            EXPECT_FALSE(c.category() == QChar::Other_Control || c.unicode() == 0x202e)
                << text.toStdString();
}

TEST_F(ReviewScreen, WeakMatch_StartsUntickedWithWhy_AClickTicksIt) {
    const fs::path go = t.app("Applications/Go.app", "com.gosoft.go", "Go", "Go");
    t.file("Users/me/Library/Preferences/com.gosoft.go.plist", std::string(100, 'g'));
    const fs::path google = t.file("Users/me/Library/Application Support/Google/Chrome/Local State",
                                   std::string(300, 'c'))
                                .parent_path()
                                .parent_path();
    choose(go);
    review();
    const QAbstractItemModel *model = table->model();
    const int ownRow = rowOf("com.gosoft.go.plist"), weakRow = rowOf("Google");
    ASSERT_GE(weakRow, 0);
    EXPECT_TRUE(checked(ownRow));
    EXPECT_FALSE(checked(weakRow));
    EXPECT_FALSE(model->index(weakRow, 0).data(LeftoverTableModel::FlaggedRole).toBool());
    EXPECT_EQ(model->index(weakRow, 0).data(LeftoverTableModel::NoteRole).toString(),
              QStringLiteral("Weak match"));
    EXPECT_EQ(model->index(weakRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(google) + QStringLiteral("\nWeak match"));
    const std::uint64_t start = app->state().common_remove_size();
    const QRect box = RemainderRowDelegate::checkRect(table->visualRect(model->index(weakRow, 0)));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(checked(weakRow));
    EXPECT_EQ(app->state().common_remove_size(), start + 300);
}

// System folders searched but not open to deletion (the stored system grant is not the
// disk's root): their rows start unticked and say why, so a removal does not try them and
// then report them as failures.
TEST_F(ReviewScreen, SystemFoldersNotAllowed_TheirRowsStartUntickedWithWhy_NothingFails) {
    settings.grant(grants::kMacOS, t.root());
    settings.store().setInteger(grants::kAllowAny, 1);
    const fs::path bundle = t.app("Applications/Foo.app", "com.vendor.foo", "Foo", "Foo");
    const fs::path prefs =
        t.file("Users/me/Library/Preferences/com.vendor.foo.plist", std::string(100, 'p'));
    const fs::path agent = t.file("Library/LaunchAgents/com.vendor.foo.agent.plist");
    choose(bundle);
    review();
    const int agentRow = rowOf("com.vendor.foo.agent.plist");
    ASSERT_GE(agentRow, 0);
    EXPECT_FALSE(checked(agentRow));
    EXPECT_TRUE(checked(rowOf("com.vendor.foo.plist")));
    EXPECT_EQ(table->model()->index(agentRow, 0).data(LeftoverTableModel::NoteRole).toString(),
              QStringLiteral("Needs access to system folders"));

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_FALSE(platform::itemExists(bundle));
    EXPECT_FALSE(platform::itemExists(prefs));
    EXPECT_TRUE(platform::itemExists(agent));
    EXPECT_TRUE(app->state().remainder_urls().empty()) << "a refused row was tried";
}
