#include "ScreenTestSupport.h"

#include "extensions/Bundle.h"
#include "extensions/screens/ConfirmRemovalSheet.h"
#include "extensions/screens/ExtensionRemover.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/RemovalListModel.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "shell/ScreenNames.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

using namespace zembra;
using namespace zembra::test;
using platform::itemExists;

namespace {

const QString kSheet = QStringLiteral("ConfirmRemovalSheet"); // the sheet's object name

ConfirmRemovalSheet *waitForSheet() {
    ConfirmRemovalSheet *sheet = nullptr;
    waitFor([&] { return (sheet = qobject_cast<ConfirmRemovalSheet *>(visibleScene(kSheet))); });
    return sheet;
}

class PluginRemoval : public ExtensionScreenTest {
protected:
    void openPlugins() {
        screen = open(screens::kPlugins);
        list = screen->findChild<QListView *>(QStringLiteral("tableviewB"));
        remove = button(screen, "removePluginButton");
    }
    void select(const QString &label) {
        const int row = int(labels(list->model()).indexOf(label));
        ASSERT_GE(row, 0) << label.toStdString();
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    // Opens the list, selects `label`, presses Remove and waits for the confirmation.
    ConfirmRemovalSheet *confirm(const QString &label) {
        openPlugins();
        select(label);
        remove->click();
        return waitForSheet();
    }
    int sheetCount() const {
        return int(screen->window()->findChildren<ConfirmRemovalSheet *>().size());
    }
    bool idle() const {
        return !screen->findChild<QProgressBar *>(QStringLiteral("progress"))->isVisible();
    }

    QWidget *screen = nullptr;
    QListView *list = nullptr;
    QPushButton *remove = nullptr;
};

} // namespace

// The Dropbox folder starts unticked: another installed application uses it.
TEST_F(PluginRemoval, Confirmed_TickedRowsGone_UntickedStay_RowDroppedNeighbourSelected) {
    t.app("Applications/Dropbox.app", "com.dropbox.client", "Dropbox");
    const auto item = plugin("Sync", "com.cards.sync");
    plugin("Other", "com.y.other");
    const fs::path own = t.file("home/Library/Logs/Sync.log"),
                   support = t.file("home/Library/Application Support/Sync/state.db"),
                   dropbox = t.dir("home/Library/Application Support/com.dropbox.client.Sync");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Sync"));
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(itemExists(item));
    EXPECT_TRUE(idle()) << "no busy bar behind the confirmation";
    RemovalListModel *model = sheet->model();
    const int supportRow = int(labels(model).indexOf(platform::displayPath(support.parent_path())));
    ASSERT_GE(supportRow, 0);
    ASSERT_TRUE(model->setData(model->index(supportRow, 0), Qt::Unchecked, Qt::CheckStateRole));
    button(sheet, "removeButton")->click();
    EXPECT_FALSE(idle()) << "busy once confirmed";
    ASSERT_TRUE(
        waitFor([&] { return labels(list->model()) == QStringList{QStringLiteral("Other")}; }));
    EXPECT_FALSE(itemExists(item) || itemExists(own));
    EXPECT_TRUE(itemExists(support) && itemExists(dropbox));
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
    EXPECT_TRUE(itemExists(real));
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(remove->isEnabled());
    button(popover, "show_in_finder")->click();
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{
                                      {t / "home/Library/Address Book Plug-Ins/Stuck.bundle"}});
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
    ASSERT_TRUE(waitFor([&] { return !itemExists(first) && idle(); }));
    settle();
    EXPECT_TRUE(itemExists(second));
    // The row removed is the plug-in that was removed, not the one selected since.
    EXPECT_EQ(labels(list->model()), QStringList{QStringLiteral("Beta")});
    EXPECT_EQ(sheetCount(), 0);
}

TEST_F(PluginRemoval, CancelCloseOrSelectionGoneBySearch_DeletesNothing) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Card Sync"));
    ASSERT_TRUE(sheet);
    button(sheet, "cancelButton")->click();
    settle();
    EXPECT_EQ(labels(list->model()), QStringList{QStringLiteral("Card Sync")});
    remove->click();
    ASSERT_TRUE(sheet = waitForSheet());
    sheet->window()->close();
    settle();
    screen->findChild<QLineEdit *>(QStringLiteral("search_field"))->setText(QStringLiteral("card"));
    remove->click();
    settle();
    EXPECT_EQ(visibleScene(kSheet), nullptr);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(itemExists(item) && itemExists(pref));
}

// The window stays until the deletion has ended, so no plug-in is left half removed.
TEST_F(PluginRemoval, QuitDuringDeletion_WaitsForItThenQuits) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    ConfirmRemovalSheet *sheet = confirm(QStringLiteral("Card Sync"));
    ASSERT_TRUE(sheet);
    button(sheet, "removeButton")->click();
    // Asked before the deletion can have ended: its end is signalled on this thread.
    EXPECT_TRUE(delegate->askQuitGuard()) << "quitting must wait for the deletion";
    // The program's event loop: it ends with the quit, or (the fault) with the fallback.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "no quit came after the deletion";
    EXPECT_FALSE(itemExists(item) || itemExists(pref));
}

// One test for both cases: a second test running at the same time would see this one's
// "Safari".
TEST_F(ExtensionScreenTest, SafariRemoval_BlockedWhileSafariRuns_LowerCaseIdentifierDoesNotBlock) {
    const std::string extensions = "home/Library/Safari/Extensions/";
    const auto archive = t.file(extensions + "Blocker-3.1.safariextz");
    t.file(extensions + "Other.safariextz");
    t.file(extensions + "Extensions.plist",
           safariList(safariEntry("Blocker-3.1.safariextz", "com.example.blocker") +
                      safariEntry("Other.safariextz", "com.example.other")));
    QWidget *screen = open(screens::kSafariExtensions);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewS"));
    ASSERT_EQ(list->model()->rowCount(), 2);
    list->setCurrentIndex(list->model()->index(0, 0));
    QPushButton *remove = button(screen, "removeButton");
    // The notice that Safari runs is shown, and nothing is deleted.
    auto expectRefused = [&] {
        ASSERT_TRUE(waitFor([] { return visibleScene(screens::kLaunchedSafariExtensions); }));
        settle();
        EXPECT_EQ(visibleScene(kSheet), nullptr);
        EXPECT_TRUE(itemExists(archive));
        visibleScene(screens::kLaunchedSafariExtensions)->window()->close();
        settle();
    };
    {
        BundledProcess safari(t.app("P.app", "com.apple.SafariTechnologyPreview", "P"), "P");
        ASSERT_TRUE(safari.running());
        remove->click();
        expectRefused();
    }
    BundledProcess notSafari(t.app("Lower.app", "com.apple.safari.lower", "Lower"), "Lower");
    ASSERT_TRUE(notSafari.running());
    remove->click();
    ConfirmRemovalSheet *sheet = waitForSheet();
    ASSERT_TRUE(sheet);
    {
        // Safari started while the confirmation was open: still nothing is deleted.
        BundledProcess lateSafari(t.app("Late.app", "com.apple.Safari", "Late"), "Late");
        ASSERT_TRUE(lateSafari.running());
        button(sheet, "removeButton")->click();
        expectRefused();
    }
    remove->click();
    ASSERT_TRUE(sheet = waitForSheet());
    button(sheet, "removeButton")->click();
    ASSERT_TRUE(waitFor([&] { return labels(list->model()) == QStringList{"Other"}; }));
    EXPECT_FALSE(itemExists(archive));
}

// A remover destroyed while its deletion runs (quitting) is never written to. That what remained
// reaches the shared state by the end of a removal, BundleRemains_* above sees on the screen.
TEST_F(ExtensionScreenTest, RemoverDestroyedWhileDeleting_ItsStateIsNeverWritten) {
    const fs::path bundle = plugin("Card Sync", "com.x.cardsync");
    t.file("home/Library/Preferences/com.x.cardsync.plist");
    // A deletion that waits for the test, then fails for the plug-in itself (so there are
    // remains to report) and deletes the rest.
    std::shared_ptr<std::atomic<bool>[]> gate(new std::atomic<bool>[2] {}); // entered, released
    ExtensionRemovalServices gated;
    gated.removeItem =
        [gate, bundle, scope = grants::GrantStore(settings).deletionScope()](const fs::path &path) {
            gate[0] = true;
            while (!gate[1])
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return path != bundle && scope.remove(path);
        };
    // The state outlives the remover only so the test can look at it.
    SharedState state;
    auto remover = std::make_unique<ExtensionRemover>(ExtensionRemover::Kind::Plugin, settings,
                                                      state, nullptr, gated);
    int found = 0;
    QObject::connect(remover.get(), &ExtensionRemover::foundReady, remover.get(), [&] { ++found; });
    ASSERT_TRUE(remover->start(Bundle(settings).plugin(bundle)));
    ASSERT_TRUE(waitFor([&] { return found == 1; }));
    remover->remove(remover->found().files);
    ASSERT_TRUE(waitFor([&] { return gate[0].load(); }));
    const std::vector<FileEntry> untouched{FileEntry::word(QStringLiteral("untouched"))};
    state.setRemainder_urls(untouched);
    remover.reset(); // quitting
    gate[1] = true;
    QThreadPool::globalInstance()->waitForDone();
    settle();
    EXPECT_EQ(state.remainder_urls(), untouched);
    EXPECT_TRUE(itemExists(bundle)) << "the failing deletion of the plug-in itself";
}

namespace {

class RemovalList : public ::testing::Test {
protected:
    static FileEntry w(const char *marker) { return FileEntry::word(QString::fromLatin1(marker)); }
    static FileEntry f(const fs::path &path) { return FileEntry::file(path); }
    static SizeEntry m(const char *marker) {
        return SizeEntry::marker(QString::fromLatin1(marker));
    }
    static SizeEntry b(std::uint64_t n) { return SizeEntry::bytes(n); }
    static void setTick(RemovalListModel &m, int row, bool ticked) {
        ASSERT_TRUE(
            m.setData(m.index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
    }
    static bool ticked(const RemovalListModel &m, int row) {
        return m.index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }
    std::vector<FileEntry> firstOf(size_t n) const { return {files.begin(), files.begin() + n}; }

    const fs::path item = "/h/Library/Address Book Plug-Ins/Sync.bundle",
                   folder = "/h/Library/Application Support/Sync", inside = folder / "keep.db",
                   log = "/h/Library/Logs/Sync.log";
    // The item is found twice.
    const std::vector<FileEntry> files{w("Executables"), f(item),      w("Supportfiles"),
                                       f(folder),        f(inside),    w("Logs"),
                                       f(log),           w("Plugins"), f(item)};
    const std::vector<SizeEntry> sizes{m("Executables"), b(1000), m("Supportfiles"), b(500), b(200),
                                       m("Logs"),        b(30),   m("Plugins"),      b(1000)};
};

} // namespace

// The item found twice is deleted once: a second deletion would only fail.
TEST_F(RemovalList, EveryPathOnce_ItemItselfAlwaysTicked_AKeptEntryKeepsItsFolder) {
    RemovalListModel m(files, sizes, item, {});
    EXPECT_TRUE(m.isGroupRow(0));
    EXPECT_EQ(m.index(2, 0).data().toString(), QStringLiteral("Support files"));
    EXPECT_EQ(m.tickedBytes(), 1730u);
    EXPECT_EQ(m.tickedFiles(), firstOf(7));
    RemovalListModel none(files, sizes, item, [](const fs::path &) { return false; });
    EXPECT_TRUE(ticked(none, 1) && ticked(none, 8));
    EXPECT_FALSE(none.flags(none.index(1, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(none.setData(none.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(none.tickedFiles(), firstOf(2));

    SCOPED_TRACE("a kept entry keeps the listed folder holding it, from the start too");
    setTick(m, 4, false);       // keep.db
    EXPECT_FALSE(ticked(m, 3)); // its folder is kept too, visibly
    setTick(m, 6, false);       // the log
    EXPECT_EQ(m.tickedFiles(), firstOf(2));
    EXPECT_EQ(m.tickedBytes(), 1000u);
    // Ticking the folder again takes what lies inside with it.
    setTick(m, 3, true);
    EXPECT_TRUE(ticked(m, 4));

    RemovalListModel fresh(files, sizes, item, [&](const fs::path &p) { return p != inside; });
    EXPECT_FALSE(ticked(fresh, 4) || ticked(fresh, 3));
    EXPECT_TRUE(ticked(fresh, 6));
}

TEST_F(RemovalList, ForgedNames_ShownWithVisibleEscapes_DeletedAsTheyAre) {
    const fs::path forged = "/h/Library/Logs/a\r\x1b[2Kb\nFake.log",
                   bidi = "/h/Library/Logs/x\u202egol.exe";
    RemovalListModel m({w("Logs"), f(forged), f(bidi)}, {}, item, {});
    EXPECT_EQ(m.index(1, 0).data().toString(), "/h/Library/Logs/a\\r\\x1b[2Kb\\nFake.log");
    EXPECT_EQ(m.index(2, 0).data().toString(), "/h/Library/Logs/x\\u202egol.exe");
    EXPECT_EQ(m.tickedFiles()[1].path(), forged);
}
