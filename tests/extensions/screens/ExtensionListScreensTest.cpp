#include "ScreenTestSupport.h"

#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "platform/ByteCountFormatter.h"
#include "shell/ScreenNames.h"
#include "shell/SharedState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>

using namespace zembra;
using namespace zembra::test;

// The whole-disk hint is a window a screen reader lists; its button opens the product's page.
TEST_F(ExtensionScreenTest, EmptyLists_SheetShownControlsNamed_HintFromTheSeventhLaunch) {
    const struct {
        QString screen, emptySheet;
        int launches;
        bool allowAny, hintShown;
    } cases[] = {
        {screens::kPlugins, screens::kInstalledBundles, 6, false, false},
        {screens::kPlugins, screens::kInstalledBundles, 7, true, false},
        {screens::kPlugins, screens::kInstalledBundles, 7, false, true},
        {screens::kPrefPanes, screens::kInstalledPrefpanes, 9, false, true},
        {screens::kSafariExtensions, screens::kInstalledSafariExtensions, 9, false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.screen.toStdString() << ", " << c.launches
                                        << " launches, whole disk " << c.allowAny);
        settings.store().setInteger(screens::kAppLaunchCount, c.launches);
        settings.store().setInteger(grants::kAllowAny, c.allowAny ? 1 : 0);
        QWidget *screen = open(c.screen);
        expectControlsNamedOnce(screen, c.screen.toStdString());
        // The empty-list sheet comes from the same appearance step as the hint.
        ASSERT_TRUE(waitFor([&] { return visibleScene(c.emptySheet) != nullptr; }));
        EXPECT_TRUE(button(screen, "back_to_extensions")->isEnabled());
        settle();
        const QString hintName =
            c.screen == screens::kPrefPanes ? screens::kMorePrefpanes : screens::kMorePlugins;
        QWidget *hint = visibleScene(hintName);
        ASSERT_EQ(hint != nullptr, c.hintShown);
        if (hint) {
            expectInAccessibilityTree(hint, {QStringLiteral("Grant access to the whole disk")},
                                      hintName.toStdString());
            button(hint, "visit")->click();
        }
        closeAllWindows();
    }
    ASSERT_EQ(workspace.opened.size(), 2u) << "one page for each hint shown";
    for (const QUrl &page : workspace.opened)
        EXPECT_TRUE(page.toString().endsWith(QStringLiteral("/more/")));
}

TEST_F(ExtensionScreenTest,
       PluginList_EscapedNames_SearchIgnoresCaseAndAccents_RevealsTheSelected) {
    plugin("Media Player", "com.m.player");
    plugin("Card Sync", "com.c.sync");
    plugin("Mèdia Tools", "com.m.tools");
    t.app("home/Library/Address Book Plug-Ins/Line\nbreak\x1b.bundle", "com.l.line", "Line");
    t.app("home/Library/Address Book Plug-Ins/Tab\tbed\u202egnp.bundle", "com.t.tab", "Tab");
    const auto remedial = plugin("Remedial", "com.r.remedial");
    QWidget *screen = open(screens::kPlugins);
    const QAbstractItemModel *model =
        screen->findChild<QListView *>(QStringLiteral("tableviewB"))->model();
    const QStringList all = labels(model);
    EXPECT_TRUE(all.contains(QStringLiteral("Line\\nbreak\\x1b"))) << all.join('|').toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Tab\\tbed\\u202egnp")));
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), index.data().toString());
        EXPECT_EQ(index.data(Qt::AccessibleTextRole).toString(), index.data().toString());
    }
    // Written from the home folder, as a Mac's file browser writes it.
    EXPECT_EQ(model->index(0, 0).data(ExtensionListModel::PathRole).toString(),
              QStringLiteral("~/Library/Address Book Plug-Ins"));

    auto *search = screen->findChild<QLineEdit *>(QStringLiteral("search_field"));
    search->setText(QStringLiteral("MEDIA"));
    // A contains test: "Remedial" holds "media" too.
    EXPECT_EQ(labels(model),
              (QStringList{QStringLiteral("Media Player"), QStringLiteral("Mèdia Tools"),
                           QStringLiteral("Remedial")}));
    screen->findChild<QListView *>(QStringLiteral("tableviewB"))
        ->setCurrentIndex(model->index(2, 0));
    button(screen, "show_in_finder")->click();
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{{remedial}});
    search->setText(QStringLiteral("zzz"));
    EXPECT_EQ(model->rowCount(), 0);
    search->clear();
    EXPECT_EQ(labels(model), all);
}

TEST_F(ExtensionScreenTest, PrefPaneRemove_SelectedPane_BecomesTheItemAndOpensTheReview) {
    t.app("home/Library/PreferencePanes/Growl.prefPane", "com.growl.pane", "Growl");
    QWidget *screen = open(screens::kPrefPanes);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewP"));
    QPushButton *remove = button(screen, "removeButton");
    EXPECT_FALSE(remove->isEnabled());
    remove->click();
    list->setCurrentIndex(list->model()->index(0, 0));
    ASSERT_TRUE(delegate->state().item());
    EXPECT_EQ(delegate->state().item()->label(), QStringLiteral("Growl"));
    remove->click();
    EXPECT_EQ(posted, QStringList{screens::kRemainderViewController});
}

// The granted folder's Safari stands in for the system's.
TEST_F(ExtensionScreenTest, Hub_ButtonsPostTheirScreens_SafariImageScaledDownNotUp) {
    t.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    const QString file = QString::fromStdString(
        t.file("Applications/Safari.app/Contents/Resources/compass.png").native());
    for (const int side : {512, 16}) {
        QImage compass(side, side, QImage::Format_ARGB32);
        compass.fill(Qt::blue);
        ASSERT_TRUE(compass.save(file));
        QWidget *hub = open(screens::kExtensions);
        EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("safari_image"))->pixmap().width(),
                  std::min(side, 128));
        if (side == 16) {
            expectControlsNamedOnce(hub, "hub");
            for (const char *name :
                 {"plugins", "preference_panes", "sfari_extensions", "back_to_home_viewcontroller"})
                button(hub, name)->click();
        }
        closeAllWindows();
    }
    EXPECT_EQ(posted, (QStringList{
                          screens::kPluginsViewController, screens::kPrefpanesViewController,
                          screens::kSafariExtensionsViewController, screens::kHomeViewController}));
}

namespace {

ExtensionListModel::Records recordsOf(zembra::test::TreeBuilder &tree, int count, size_t bytes) {
    ExtensionListModel::Records records;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Plugin" + std::to_string(i) + ".bundle";
        tree.file("plugins/" + name + "/Contents/MacOS/x", std::string(bytes, 'x'));
        auto record = std::make_shared<ItemRecord>();
        record->setLabel(QString::fromStdString(name));
        record->setUrl(tree / ("plugins/" + name));
        records.push_back(record);
    }
    return records;
}

} // namespace

TEST(ExtensionSizes, AllInOnTheNextTurn_AReloadedOrDestroyedModelTakesNothingOfTheOldLoad) {
    zembra::test::TreeBuilder tree;
    auto model = std::make_unique<ExtensionListModel>();
    QSignalSpy finished(model.get(), &ExtensionListModel::sizesFinished);
    model->setRecords(recordsOf(tree, 40, 10), {});
    model->setRecords(recordsOf(tree, 5, 3000), {}); // the first 5 again, larger now
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents(); // what is posted, no timer
    EXPECT_TRUE(model->allSizesKnown());
    EXPECT_EQ(finished.count(), 1) << "only the second load ends";
    for (int row = 0; row < model->rowCount(); ++row)
        EXPECT_EQ(model->index(row).data(ExtensionListModel::SizeRole).toString(),
                  platform::formatByteCount(3000))
            << row;

    model->setRecords(recordsOf(tree, 40, 10), {});
    model.reset(); // its worker is still measuring
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::sendPostedEvents(); // nothing left for the destroyed model
}
