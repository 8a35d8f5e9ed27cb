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

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<QString>{screens::kRemoveViewController});
    EXPECT_FALSE(platform::itemExists(bundle));
    EXPECT_FALSE(platform::itemExists(prefs));
    EXPECT_FALSE(platform::itemExists(cookies));
    EXPECT_TRUE(platform::itemExists(caches));
    EXPECT_TRUE(app->state().remainder_urls().empty());
    EXPECT_EQ(sounds, 1);

    // The outcome screen shows the item, its icon and the freed size.
    open(screens::kRemove);
    EXPECT_EQ(child<QLabel>("name")->text(), QStringLiteral("Foo"));
    EXPECT_FALSE(child<QLabel>("image")->pixmap().isNull());
    EXPECT_EQ(child<QLabel>("size")->text(), platform::formatByteCount(all - 500));
}

// Clicks and Space toggle rows in the tests below; here every row off, then one on.
TEST_F(ReviewScreen, NoItemOrNothingTicked_NothingToRemove_GroupRowsHaveNoBox) {
    app->state().setItem(nullptr);
    review();
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_FALSE(removeButton()->isEnabled());

    choose(bundle);
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
    EXPECT_TRUE(platform::itemExists(bundle)); // the refusal itself: Removal's core tests
    EXPECT_EQ(app->state().remainder_urls(), std::vector<FileEntry>{FileEntry::file("/earlier")});
    EXPECT_EQ(sounds, 0);
    EXPECT_TRUE(removeButton()->isEnabled());
}

TEST_F(ReviewScreen, UndeletableEntries_OutcomeRevealsEveryOne_FreedSizeWithoutThem) {
    review();
    const std::uint64_t appSize = platform::itemSize(bundle);
    // The home grant is lost before the removal: the scope refuses the leftovers, the
    // application itself goes.
    settings.store().remove(grants::kHome);

    QTest::mouseClick(removeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([this] { return !posted.empty(); }));

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

// The screen's side of rows that start unticked: which reason their second line, tooltip
// and spoken description give, that only a row another application uses wears the badge,
// and that a click on the box ticks it. Which rows start unticked is the core's rule.
TEST_F(ReviewScreen, RowsStartingUnticked_SayWhy_OnlyTheSharedOneBadged_AClickTicksIt) {
    t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2", "Sketchpad 2");
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad2.plist", std::string(200, 't'));
    t.file("Users/me/Library/HTTPStorages/com.lumina.sketchpad.ShipIt/httpstorages.sqlite");
    t.app("Applications/Go.app", "com.gosoft.go", "Go", "Go");
    t.file("Users/me/Library/Preferences/com.gosoft.go.plist");
    t.file("Users/me/Library/Application Support/Google/Chrome/Local State");
    t.file("Library/LaunchAgents/com.vendor.foo.agent.plist");
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
        ASSERT_GE(row, 0) << firstColumn().join('|').toStdString();
        const QModelIndex cell = table->model()->index(row, 0);
        EXPECT_FALSE(checked(row));
        EXPECT_EQ(cell.data(LeftoverTableModel::NoteRole).toString(), QString::fromUtf8(c.note));
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(),
                  platform::displayPath(path) + QLatin1Char('\n') + QString::fromUtf8(c.why));
        EXPECT_EQ(cell.data(LeftoverTableModel::FlaggedRole).toBool(), c.flagged);
        QAccessibleInterface *cells = QAccessible::queryAccessibleInterface(table);
        ASSERT_TRUE(cells && cells->tableInterface());
        EXPECT_EQ(cells->tableInterface()->cellAt(row, 0)->text(QAccessible::Description),
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
        const std::uint64_t before = app->state().common_remove_size();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          RemainderRowDelegate::checkRect(table->visualRect(cell)).center());
        EXPECT_TRUE(checked(row));
        EXPECT_GT(app->state().common_remove_size(), before);
        EXPECT_EQ(total(), QStringLiteral("Selected: %1")
                               .arg(platform::formatByteCount(app->state().common_remove_size())));
    }
}

TEST_F(ReviewScreen, EntryKeptInsideAListedFolder_TheFolderSaysWhyItIsUnticked) {
    const fs::path log = t.file("Users/me/Library/Logs/Foo/Foo.log");
    review();
    const int logsRow = rowOf("Foo"), logRow = rowOf("Foo.log");
    ASSERT_GE(logsRow, 0);
    ASSERT_GE(logRow, 0);
    const QAbstractItemModel *model = table->model();
    table->model()->setData(model->index(logRow, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(checked(logsRow));
    EXPECT_EQ(model->index(logsRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(log.parent_path()) + QStringLiteral("\nHolds a kept entry"));
    table->model()->setData(model->index(logsRow, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(checked(logRow));
    EXPECT_EQ(model->index(logsRow, 0).data(Qt::ToolTipRole).toString(),
              platform::displayPath(log.parent_path()));
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
