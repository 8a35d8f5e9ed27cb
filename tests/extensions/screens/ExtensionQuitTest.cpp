// Quitting while a plug-in is being deleted: the window stays until the deletion has
// ended, and the program quits then, so no plug-in is left half removed.
#include "ScreenTestSupport.h"

#include "extensions/screens/ConfirmRemovalSheet.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "platform/FileSystem.h"
#include "shell/ScreenNames.h"

#include <QCoreApplication>
#include <QListView>
#include <QTimer>

using namespace zembra;
using namespace zembra::test;

TEST_F(ExtensionScreenTest, QuitDuringPluginDeletion_WaitsForItThenQuits) {
    const auto item = plugin("Card Sync", "com.x.cardsync");
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    QWidget *screen = open(screens::kPlugins);
    auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewB"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    button(screen, "removePluginButton")->click();
    ConfirmRemovalSheet *sheet = nullptr;
    ASSERT_TRUE(waitFor([&] {
        return (sheet = qobject_cast<ConfirmRemovalSheet *>(
                    visibleScene(QStringLiteral("ConfirmRemovalSheet")))) != nullptr;
    }));
    button(sheet, "removeButton")->click();
    // Asked before the deletion can have ended: its end is signalled on this thread.
    EXPECT_TRUE(delegate->askQuitGuard()) << "quitting must wait for the deletion";
    // The program's event loop: it ends with the quit, or (the fault) with the fallback.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "no quit came after the deletion";
    EXPECT_FALSE(platform::itemExists(item));
    EXPECT_FALSE(platform::itemExists(pref));
}
