#include "ScreenTestSupport.h"

#include "extensions/SafariExtensionsList.h"
#include "extensions/screens/ConfirmRemovalSheet.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/RemovalListModel.h"
#include "platform/FileSystem.h"
#include "shell/ScreenNames.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QSet>
#include <QTreeView>

using namespace zembra;
using namespace zembra::test;

namespace {

class PluginRemoval : public ExtensionScreenTest {
protected:
    QWidget *openPlugins() {
        screen = open(screens::kPlugins);
        list = screen->findChild<QListView *>(QStringLiteral("tableviewB"));
        remove = button(screen, "removePluginButton");
        return screen;
    }
    void select(const QString &label) {
        const int row = int(labels(list->model()).indexOf(label));
        ASSERT_GE(row, 0) << label.toStdString();
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    // Selects `label` in the list just opened, presses Remove, waits for the confirmation.
    ConfirmRemovalSheet *confirm(const QString &label) {
        openPlugins();
        select(label);
        remove->click();
        return waitForSheet();
    }
    ConfirmRemovalSheet *waitForSheet() {
        ConfirmRemovalSheet *sheet = nullptr;
        waitFor([&] {
            return (sheet = qobject_cast<ConfirmRemovalSheet *>(visibleScene(kSheet))) != nullptr;
        });
        return sheet;
    }
    int sheetCount() const {
        QSet<ConfirmRemovalSheet *> sheets; // a dialog is a child of its window: seen twice
        for (QWidget *top : QApplication::topLevelWidgets())
            for (auto *sheet : top->findChildren<ConfirmRemovalSheet *>())
                sheets.insert(sheet);
        return int(sheets.size());
    }
    // The row of the sheet that shows `path`; -1 when it is not listed.
    static int rowOf(const RemovalListModel *model, const fs::path &path) {
        for (int row = 0; row < model->rowCount(); ++row)
            if (!model->isGroupRow(row) &&
                model->index(row, 0).data().toString() == platform::displayPath(path))
                return row;
        return -1;
    }
    static Qt::CheckState tick(const RemovalListModel *model, int row) {
        return model->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }
    bool idle() const {
        return !screen->findChild<QProgressBar *>(QStringLiteral("progress"))->isVisible();
    }

    inline static const QString kSheet = QStringLiteral("ConfirmRemovalSheet");
    QWidget *screen = nullptr;
    QListView *list = nullptr;
    QPushButton *remove = nullptr;
};

} // namespace

TEST_F(PluginRemoval, Confirmed_PluginAndLeftoversGone_RowDroppedNeighbourSelected) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    plugin("Other", "com.y.other");
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    openPlugins();
    EXPECT_FALSE(remove->isEnabled());
    select(QStringLiteral("Card Sync"));
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    ConfirmRemovalSheet *sheet = waitForSheet();
    ASSERT_TRUE(sheet);
    // Nothing is deleted before the user confirms.
    EXPECT_TRUE(platform::itemExists(item));
    EXPECT_GE(rowOf(sheet->model(), item), 0);
    EXPECT_GE(rowOf(sheet->model(), pref), 0);
    EXPECT_TRUE(idle()) << "no busy bar behind the confirmation";
    button(sheet, "removeButton")->click();
    EXPECT_FALSE(idle()) << "busy once confirmed";
    ASSERT_TRUE(
        waitFor([&] { return labels(list->model()) == QStringList{QStringLiteral("Other")}; }));
    EXPECT_FALSE(platform::itemExists(item));
    EXPECT_FALSE(platform::itemExists(pref));
    // The row the list highlights now is the selected one, ready for the next removal.
    EXPECT_EQ(list->selectionModel()->selectedRows(), QModelIndexList{list->model()->index(0, 0)});
    EXPECT_EQ(list->currentIndex(), list->model()->index(0, 0));
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(idle());
    settle();
    EXPECT_EQ(visibleScene(screens::kBundleCantRemove), nullptr);
}

TEST_F(PluginRemoval, BundleRemains_RowDroppedAndBundleCantRemoveShown) {
    // The home's Library is a link to a folder elsewhere: the plug-in is listed through
    // it, but deletion never follows a link, so the bundle stays.
    fs::remove_all(t / "home/Library");
    const auto real =
        t.app("elsewhere/Library/Address Book Plug-Ins/Stuck.bundle", "com.s.stuck", "Stuck");
    t.link("home/Library", t / "elsewhere/Library");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Stuck"));
    ASSERT_TRUE(sheet);
    button(sheet, "removeButton")->click();
    QWidget *popover = nullptr;
    ASSERT_TRUE(
        waitFor([&] { return (popover = visibleScene(screens::kBundleCantRemove)) != nullptr; }));
    expectInAccessibilityTree(popover, {QStringLiteral("The item could not be removed")},
                              "BundleCantRemove");
    EXPECT_TRUE(platform::itemExists(real));
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(remove->isEnabled());
    button(popover, "show_in_finder")->click();
    ASSERT_EQ(workspace.revealed.size(), 1u);
    ASSERT_FALSE(workspace.revealed[0].empty());
    EXPECT_EQ(workspace.revealed[0].front(), t / "home/Library/Address Book Plug-Ins/Stuck.bundle");
}

TEST_F(PluginRemoval, SecondPressWhileRemoving_Ignored) {
    const auto first = plugin("Alpha", "com.a.alpha");
    const auto second = plugin("Beta", "com.b.beta");
    openPlugins();
    select(QStringLiteral("Alpha"));
    remove->click();
    select(QStringLiteral("Beta"));
    remove->click(); // while the search runs
    ConfirmRemovalSheet *sheet = waitForSheet();
    ASSERT_TRUE(sheet);
    settle();
    EXPECT_EQ(sheetCount(), 1);
    remove->click(); // while the sheet is open
    EXPECT_EQ(sheetCount(), 1);
    button(sheet, "removeButton")->click();
    remove->click(); // while the deletion runs
    ASSERT_TRUE(waitFor([&] { return !platform::itemExists(first) && idle(); }));
    settle();
    EXPECT_TRUE(platform::itemExists(second));
    // The row removed is the plug-in that was removed, not the one selected since.
    EXPECT_EQ(labels(list->model()), QStringList{QStringLiteral("Beta")});
    EXPECT_EQ(sheetCount(), 0);
}

TEST_F(PluginRemoval, Cancel_DeletesNothing_AndTheScreenStaysUsable) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Card Sync"));
    ASSERT_TRUE(sheet);
    button(sheet, "cancelButton")->click();
    settle();
    EXPECT_TRUE(platform::itemExists(item));
    EXPECT_TRUE(platform::itemExists(pref));
    EXPECT_EQ(labels(list->model()), QStringList{QStringLiteral("Card Sync")});
    EXPECT_TRUE(idle());
    // Closing the sheet by its window control cancels the same way.
    remove->click();
    sheet = waitForSheet();
    ASSERT_TRUE(sheet);
    sheet->window()->close();
    settle();
    EXPECT_TRUE(platform::itemExists(item));
    EXPECT_TRUE(idle());
}

TEST_F(PluginRemoval, SelectionGoneAfterSearch_PressRemovesNothing) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    openPlugins();
    select(QStringLiteral("Card Sync"));
    ASSERT_TRUE(remove->isEnabled());
    // A new search text shows a new list without a selection.
    screen->findChild<QLineEdit *>(QStringLiteral("search_field"))->setText(QStringLiteral("card"));
    remove->click();
    EXPECT_TRUE(idle());
    settle();
    EXPECT_EQ(sheetCount(), 0);
    EXPECT_TRUE(platform::itemExists(item));
}

// A row the user unticks stays on disk, and so does one the sheet starts unticked because
// the core keeps it without a review (here one another installed application uses).
TEST_F(PluginRemoval, UntickedRows_ByTheUserOrFromTheStart_StayOnDisk) {
    t.app("Applications/Dropbox.app", "com.dropbox.client", "Dropbox");
    const auto item = plugin("Sync", "com.cards.sync");
    const auto own = t.file("home/Library/Logs/Sync.log");
    const auto support = t.file("home/Library/Application Support/Sync/state.db");
    const auto dropbox = t.dir("home/Library/Application Support/com.dropbox.client.Sync");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Sync"));
    ASSERT_TRUE(sheet);
    RemovalListModel *model = sheet->model();
    ASSERT_GE(rowOf(model, dropbox), 0);
    EXPECT_EQ(tick(model, rowOf(model, dropbox)), Qt::Unchecked);
    EXPECT_EQ(tick(model, rowOf(model, own)), Qt::Checked);
    const int supportRow = rowOf(model, support.parent_path());
    ASSERT_GE(supportRow, 0);
    ASSERT_TRUE(model->setData(model->index(supportRow, 0), Qt::Unchecked, Qt::CheckStateRole));
    button(sheet, "removeButton")->click();
    ASSERT_TRUE(waitFor([&] { return list->model()->rowCount() == 0 && idle(); }));
    EXPECT_FALSE(platform::itemExists(item));
    EXPECT_FALSE(platform::itemExists(own));
    EXPECT_TRUE(platform::itemExists(support));
    EXPECT_TRUE(platform::itemExists(dropbox));
}

const QString kConfirmSheet = QStringLiteral("ConfirmRemovalSheet"); // the sheet's object name

// One test for both cases: a second test running at the same time would see this one's
// "Safari".
TEST_F(ExtensionScreenTest, SafariRemoval_BlockedWhileSafariRuns_LowerCaseIdentifierDoesNotBlock) {
    safariExtensions({{"Blocker-3.1.safariextz", "com.example.blocker"},
                      {"Other.safariextz", "com.example.other"}});
    const auto archive = t / "home/Library/Safari/Extensions/Blocker-3.1.safariextz";
    QWidget *screen = open(screens::kSafariExtensions);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewS"));
    EXPECT_EQ(list->accessibleName(), QStringLiteral("Safari extensions"));
    ASSERT_EQ(labels(list->model()),
              (QStringList{QStringLiteral("Blocker-3"), QStringLiteral("Other")}));
    list->setCurrentIndex(list->model()->index(0, 0));
    QPushButton *remove = button(screen, "removeButton");
    // The notice that Safari runs is shown, and nothing is deleted.
    auto expectRefused = [&] {
        ASSERT_TRUE(
            waitFor([] { return visibleScene(screens::kLaunchedSafariExtensions) != nullptr; }));
        settle();
        EXPECT_EQ(visibleScene(kConfirmSheet), nullptr);
        EXPECT_TRUE(platform::itemExists(archive));
        EXPECT_EQ(labels(list->model()).size(), 2);
        visibleScene(screens::kLaunchedSafariExtensions)->window()->close();
        settle();
    };
    ConfirmRemovalSheet *sheet = nullptr;
    auto sheetShown = [&] {
        return waitFor([&] {
            return (sheet = qobject_cast<ConfirmRemovalSheet *>(visibleScene(kConfirmSheet)));
        });
    };
    {
        BundledProcess safari(t.app("Preview.app", "com.apple.SafariTechnologyPreview", "Preview"),
                              "Preview");
        ASSERT_TRUE(safari.running());
        remove->click();
        expectRefused();
    }
    BundledProcess notSafari(t.app("Lower.app", "com.apple.safari.lower", "Lower"), "Lower");
    ASSERT_TRUE(notSafari.running());
    remove->click();
    ASSERT_TRUE(sheetShown());
    EXPECT_EQ(visibleScene(screens::kLaunchedSafariExtensions), nullptr);
    {
        // Safari started while the confirmation was open: still nothing is deleted.
        BundledProcess lateSafari(t.app("Late.app", "com.apple.Safari", "Late"), "Late");
        ASSERT_TRUE(lateSafari.running());
        button(sheet, "removeButton")->click();
        expectRefused();
    }
    remove->click();
    ASSERT_TRUE(sheetShown());
    button(sheet, "removeButton")->click();
    ASSERT_TRUE(waitFor([&] { return list->model()->rowCount() == 1; }));
    EXPECT_FALSE(platform::itemExists(archive));
    const auto left =
        safari::readInstalledExtensions(t / "home/Library/Safari/Extensions/Extensions.plist");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].bundleIdentifier, QStringLiteral("com.example.other"));
}
