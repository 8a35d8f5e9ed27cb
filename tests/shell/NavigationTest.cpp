#include "GuiFixture.h"

#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QAction>
#include <QListView>

using namespace zembra;

namespace {

const QString kHomeScreen = QStringLiteral("zembra::HomeViewController/HomeViewController");

class Navigation : public test::GuiTest {
protected:
    Navigation() { grantBoth(); }
};

} // namespace

TEST_F(Navigation, Start_CountsOneLaunchMore_ShowsHomeInAWindowThatHoldsEveryScreen) {
    for (int i = 0; i < 5; ++i)
        delegate->applicationDidFinishLaunching();
    EXPECT_EQ(settings.store().integerForKey(screens::kAppLaunchCount), 5);
    EXPECT_EQ(screenName(), kHomeScreen);
    // The outcome popovers reach x 570 and y 188; an applications row ends at x 349.
    const QSize content = window().viewController()->size();
    EXPECT_GE(content.width(), 570);
    EXPECT_GE(content.height(), 188);
    EXPECT_EQ(window().minimumSize(), window().maximumSize()) << "the window has a fixed size";
}

TEST_F(Navigation, EachVisitMakesTheScreenAfresh_BackReplacesIt_UnknownScreensKeepIt) {
    tree.app("Applications/One.app", "com.x.one");
    const auto rows = [&] { return find<QListView>(screen(), "tableviewA")->model()->rowCount(); };
    post(screens::kApplicationsViewController);
    QPointer<QWidget> first = screen();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(settings.store().integerForKey(screens::kSheet), 1);

    tree.app("Applications/Two.app", "com.x.two");
    post(screens::kApplicationsViewController);
    EXPECT_TRUE(first.isNull()) << "the replaced screen is released";
    EXPECT_EQ(rows(), 2) << "read again from disk";

    QPointer<QWidget> list = screen();
    find<QAbstractButton>(list, "home_back")->click(); // the list's own slot posts
    settle();
    EXPECT_TRUE(list.isNull());
    EXPECT_EQ(screenName(), kHomeScreen);
    EXPECT_EQ(settings.store().integerForKey(screens::kSheet), 0);

    QWidget *home = screen();
    post(screens::kRemoveViewController); // screens not in this build
    post(screens::kExtensionsViewController);
    EXPECT_EQ(screen(), home);
    EXPECT_TRUE(home->isVisible());
}

TEST_F(Navigation, QuitOrCloseWhileARemovalRuns_AsksTheRemovalAndTheWindowStays) {
    QObject removal; // stands for the screen whose removal is under way
    int asked = 0;
    delegate->setQuitGuard(&removal, [&] { ++asked; });
    // Quit from the application menu (the item that carries Ctrl+Q).
    for (QAction *a : window().findChildren<QAction *>())
        if (a->text() == QStringLiteral("&Quit Uninstaller zembra"))
            a->trigger();
    settle();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window().close()) << "closing is refused while the removal runs";
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window().isVisible());
    delegate->clearQuitGuard(&removal);
}
