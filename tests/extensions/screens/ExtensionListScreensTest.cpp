#include "ScreenTestSupport.h"

#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "shell/ScreenNames.h"
#include "shell/SharedState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>

using namespace zembra;
using namespace zembra::test;

// With nothing installed each list is empty and says so in a sheet; on every screen each
// control has a spoken name of its own.
TEST_F(ExtensionScreenTest, NothingInstalled_EmptyListSheetShown_ControlsNamedOnce) {
    expectControlsNamedOnce(open(screens::kExtensions), "hub");
    closeAllWindows();
    const struct {
        QString screen;
        const char *list;
        QString emptySheet;
    } cases[] = {{screens::kPlugins, "tableviewB", screens::kInstalledBundles},
                 {screens::kPrefPanes, "tableviewP", screens::kInstalledPrefpanes},
                 {screens::kSafariExtensions, "tableviewS", screens::kInstalledSafariExtensions}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.list);
        QWidget *screen = open(c.screen);
        expectControlsNamedOnce(screen, c.screen.toStdString());
        auto *list = screen->findChild<QListView *>(QString::fromLatin1(c.list));
        ASSERT_TRUE(list);
        EXPECT_EQ(list->model()->rowCount(), 0);
        EXPECT_TRUE(waitFor([&] { return visibleScene(c.emptySheet) != nullptr; }));
        EXPECT_TRUE(button(screen, "back_to_extensions")->isEnabled());
        closeAllWindows();
    }
}

// Names are escaped on screen and whole in the tooltip and spoken name; the search keeps what
// contains the text, ignoring case and accents; the selected row is the one revealed.
TEST_F(ExtensionScreenTest,
       PluginList_EscapedNames_SearchIgnoresCaseAndAccents_RevealsTheSelected) {
    plugin("Media Player", "com.m.player");
    plugin("Card Sync", "com.c.sync");
    plugin("M\u00e8dia Tools", "com.m.tools");
    t.app("home/Library/Address Book Plug-Ins/Line\nbreak\x1b.bundle", "com.l.line", "Line");
    t.app("home/Library/Address Book Plug-Ins/Tab\tbed\u202egnp.bundle", "com.t.tab", "Tab");
    const auto remedial = plugin("Remedial", "com.r.remedial");
    QWidget *screen = open(screens::kPlugins);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewB"));
    const QStringList all = labels(list->model());
    EXPECT_EQ(all.size(), 6);
    EXPECT_TRUE(all.contains(QStringLiteral("Line\\nbreak\\x1b"))) << all.join('|').toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Tab\\tbed\\u202egnp")));
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), index.data().toString());
        EXPECT_EQ(index.data(Qt::AccessibleTextRole).toString(), index.data().toString());
    }
    // Written from the home folder, as a Mac's file browser writes it.
    EXPECT_EQ(list->model()->index(0, 0).data(ExtensionListModel::PathRole).toString(),
              QStringLiteral("~/Library/Address Book Plug-Ins"));
    EXPECT_EQ(visibleScene(screens::kInstalledBundles), nullptr);

    auto *search = screen->findChild<QLineEdit *>(QStringLiteral("search_field"));
    search->setText(QStringLiteral("MEDIA"));
    // A contains test: "Remedial" holds "media" too.
    EXPECT_EQ(labels(list->model()),
              (QStringList{QStringLiteral("Media Player"), QStringLiteral("M\u00e8dia Tools"),
                           QStringLiteral("Remedial")}));
    list->setCurrentIndex(list->model()->index(2, 0));
    button(screen, "show_in_finder")->click();
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{{remedial}});
    search->setText(QStringLiteral("zzz"));
    EXPECT_EQ(list->model()->rowCount(), 0);
    search->clear();
    EXPECT_EQ(labels(list->model()), all);
}

TEST_F(ExtensionScreenTest, PrefPaneRemove_SelectedPane_BecomesTheItemAndOpensTheReview) {
    t.app("home/Library/PreferencePanes/Growl.prefPane", "com.growl.pane", "Growl");
    QWidget *screen = open(screens::kPrefPanes);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewP"));
    QPushButton *remove = button(screen, "removeButton");
    EXPECT_FALSE(remove->isEnabled());
    remove->click();
    EXPECT_FALSE(posted.contains(screens::kRemainderViewController));
    list->setCurrentIndex(list->model()->index(0, 0));
    ASSERT_TRUE(remove->isEnabled());
    ASSERT_TRUE(delegate->state().item());
    EXPECT_EQ(delegate->state().item()->label(), QStringLiteral("Growl"));
    remove->click();
    EXPECT_EQ(posted, QStringList{screens::kRemainderViewController});
}

// The whole-disk hint comes from the seventh launch on, unless the whole disk is allowed;
// it is a window a screen reader lists, and its button opens the product's page.
TEST_F(ExtensionScreenTest, LaunchHint_FromTheSeventhLaunchWithoutTheWholeDisk_VisitOpensThePage) {
    const struct {
        QString screen, hint;
        int launches;
        bool allowAny, shown;
    } cases[] = {{screens::kPlugins, screens::kMorePlugins, 6, false, false},
                 {screens::kPlugins, screens::kMorePlugins, 7, true, false},
                 {screens::kPlugins, screens::kMorePlugins, 7, false, true},
                 {screens::kPrefPanes, screens::kMorePrefpanes, 9, false, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.hint.toStdString() << ", " << c.launches
                                        << " launches, whole disk " << c.allowAny);
        settings.store().setInteger(screens::kAppLaunchCount, c.launches);
        settings.store().setInteger(grants::kAllowAny, c.allowAny ? 1 : 0);
        const size_t opened = workspace.opened.size();
        open(c.screen);
        // The empty-list sheet comes from the same appearance step as the hint.
        ASSERT_TRUE(waitFor([&] {
            return visibleScene(screens::kInstalledBundles) ||
                   visibleScene(screens::kInstalledPrefpanes);
        }));
        settle();
        QWidget *popover = visibleScene(c.hint);
        ASSERT_EQ(popover != nullptr, c.shown);
        if (popover) {
            expectInAccessibilityTree(popover, {QStringLiteral("Grant access to the whole disk")},
                                      c.hint.toStdString());
            button(popover, "visit")->click();
            ASSERT_EQ(workspace.opened.size(), opened + 1);
            EXPECT_TRUE(workspace.opened.back().toString().endsWith(QStringLiteral("/more/")));
        }
        closeAllWindows();
    }
}

// /Applications/Safari.app does not exist here: the granted folder's Safari stands in.
TEST_F(ExtensionScreenTest, Hub_SafariImageScaledDownNotUp_ButtonsPostTheirScreens) {
    t.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    t.dir("Applications/Safari.app/Contents/Resources");
    const QString file = QString::fromStdString(
        (t / "Applications/Safari.app/Contents/Resources/compass.png").native());
    for (const int side : {512, 16}) {
        QImage compass(side, side, QImage::Format_ARGB32);
        compass.fill(Qt::blue);
        ASSERT_TRUE(compass.save(file));
        QWidget *hub = open(screens::kExtensions);
        const QPixmap shown = hub->findChild<QLabel *>(QStringLiteral("safari_image"))->pixmap();
        EXPECT_EQ(shown.width(), std::min(side, 128)) << side;
        closeAllWindows();
    }
    QWidget *hub = open(screens::kExtensions);
    for (const char *name :
         {"plugins", "preference_panes", "sfari_extensions", "back_to_home_viewcontroller"})
        button(hub, name)->click();
    EXPECT_EQ(posted, (QStringList{
                          screens::kPluginsViewController, screens::kPrefpanesViewController,
                          screens::kSafariExtensionsViewController, screens::kHomeViewController}));
}
