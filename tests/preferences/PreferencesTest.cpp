// The preferences window driven offscreen: what each switch shows when its pane opens,
// what it enables, and what lands in which store.

#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/screens/PreferencesSpider.h"
#include "preferences/screens/PreferencesViewController.h"
#include "preferences/screens/PreferencesWindow.h"
#include "shell/AppDelegate.h"
#include "support/TreeBuilder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace zembra;
using zembra::test::TestSettings;
namespace keys = zembra::preferences;

namespace {

class RecordingLoginItem : public platform::LoginItem {
public:
    bool setEnabled(bool enabled) override {
        calls.push_back(enabled);
        return true;
    }
    std::vector<bool> calls;
};

QCheckBox *box(QWidget *pane, const char *name) {
    auto *b = pane->findChild<QCheckBox *>(QLatin1String(name));
    EXPECT_TRUE(b) << name;
    return b;
}

struct SpiderPane : ::testing::Test {
    TestSettings standard, suite;
    RecordingLoginItem loginItem;
    std::unique_ptr<PreferencesSpider> open() {
        return std::make_unique<PreferencesSpider>(standard.store(), suite.store(), loginItem);
    }
};

} // namespace

TEST(GeneralPane, StoredSwitches_ShownAndEachClickStoredInTheStandardStore) {
    TestSettings standard;
    standard.store().setInteger(keys::kIncludeDefaultApps, 1);
    PreferencesViewController pane(standard.store());
    QCheckBox *defaultApps = box(&pane, "defaultAppsButton");
    QCheckBox *utilities = box(&pane, "utilitiesButton");
    EXPECT_TRUE(defaultApps->isChecked());
    EXPECT_FALSE(utilities->isChecked());

    utilities->click();
    EXPECT_EQ(standard.store().integerForKey(keys::kIncludeUtilities), 1);
    defaultApps->click();
    EXPECT_EQ(standard.store().integerForKey(keys::kIncludeDefaultApps), 0);
}

TEST_F(SpiderPane, StoredSwitches_Shown_NotificationBoxesDisabledWhileTheirSwitchIsOff) {
    {
        const auto pane = open(); // nothing stored: the watcher off, its notices on
        EXPECT_FALSE(box(pane.get(), "enableSpiderButton")->isChecked());
        for (const char *name : {"enableNotificationsButton", "removeNotifiactionsButton"}) {
            EXPECT_FALSE(box(pane.get(), name)->isEnabled()) << name;
            EXPECT_TRUE(box(pane.get(), name)->isChecked())
                << name << ": absent keys read 0, which is on";
        }
    }
    EXPECT_TRUE(loginItem.calls.empty()) << "opening the pane registers nothing";

    standard.store().setInteger(keys::kEnableSpider, 1);
    suite.store().setInteger(keys::kDisableNotification, 1);
    suite.store().setInteger(keys::kDisabelRemoveNotification, 1);
    const auto pane = open();
    EXPECT_TRUE(box(pane.get(), "enableSpiderButton")->isChecked());
    EXPECT_TRUE(box(pane.get(), "enableNotificationsButton")->isEnabled());
    EXPECT_FALSE(box(pane.get(), "enableNotificationsButton")->isChecked());
    EXPECT_FALSE(box(pane.get(), "removeNotifiactionsButton")->isEnabled());
    EXPECT_FALSE(box(pane.get(), "removeNotifiactionsButton")->isChecked());
}

TEST_F(SpiderPane, WatcherSwitch_RegistersStoresAndEnablesBoth_EvenWithNotificationsOff) {
    suite.store().setInteger(keys::kDisableNotification, 1);
    {
        const auto pane = open();
        box(pane.get(), "enableSpiderButton")->click();
        EXPECT_EQ(loginItem.calls, std::vector<bool>{true});
        EXPECT_EQ(standard.store().integerForKey(keys::kEnableSpider), 1);
        EXPECT_EQ(suite.store().integerForKey(keys::kEnableSpider), 0)
            << "the switch is not in the shared suite";
        EXPECT_TRUE(box(pane.get(), "enableNotificationsButton")->isEnabled());
        EXPECT_TRUE(box(pane.get(), "removeNotifiactionsButton")->isEnabled());
    }
    // The next start shows the remove notifications box disabled again.
    const auto reopened = open();
    EXPECT_FALSE(box(reopened.get(), "removeNotifiactionsButton")->isEnabled());

    box(reopened.get(), "enableSpiderButton")->click();
    EXPECT_EQ(loginItem.calls, (std::vector<bool>{true, false}));
    EXPECT_EQ(standard.store().integerForKey(keys::kEnableSpider), 0);
    EXPECT_FALSE(box(reopened.get(), "enableNotificationsButton")->isEnabled());
    EXPECT_FALSE(box(reopened.get(), "removeNotifiactionsButton")->isEnabled());
}

// The watcher's settings folder has a line break in its path, which an autostart entry
// cannot hold: no entry, no watcher, and the switch does not pretend otherwise.
TEST_F(SpiderPane, WatcherThatCannotBeRegistered_SwitchStaysOff_PaneSaysWhy) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString settings = config.path() + QStringLiteral("/settings\nfolder");
    const auto item = platform::makeWatcherLoginItem({QStringLiteral("zembra-spider"),
                                                      {QStringLiteral("--settings-dir"), settings},
                                                      platform::watcherPidFile(settings),
                                                      {}});
    PreferencesSpider pane(standard.store(), suite.store(), *item);
    box(&pane, "enableSpiderButton")->click();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(box(&pane, "enableSpiderButton")->isChecked());
    EXPECT_EQ(standard.store().integerForKey(keys::kEnableSpider), 0);
    EXPECT_FALSE(box(&pane, "enableNotificationsButton")->isEnabled());
    const auto *why = pane.findChild<QLabel *>(QStringLiteral("spiderProblemLabel"));
    ASSERT_TRUE(why);
    EXPECT_FALSE(why->isHidden());
    EXPECT_TRUE(why->text().contains(QStringLiteral("line break"))) << why->text().toStdString();
    EXPECT_FALSE(QFileInfo::exists(config.path() + QStringLiteral("/autostart")) &&
                 !QDir(config.path() + QStringLiteral("/autostart")).isEmpty());
}

TEST_F(SpiderPane, NotificationSwitches_StoredInTheSharedSuiteOnly) {
    standard.store().setInteger(keys::kEnableSpider, 1);
    const auto pane = open();
    QCheckBox *notifications = box(pane.get(), "enableNotificationsButton");
    QCheckBox *removals = box(pane.get(), "removeNotifiactionsButton");

    notifications->click();
    EXPECT_EQ(suite.store().integerForKey(keys::kDisableNotification), 1);
    EXPECT_EQ(standard.store().integerForKey(keys::kDisableNotification), 0);
    EXPECT_FALSE(removals->isEnabled());
    notifications->click();
    EXPECT_EQ(suite.store().integerForKey(keys::kDisableNotification), 0);
    EXPECT_TRUE(removals->isEnabled());

    removals->click();
    EXPECT_EQ(suite.store().integerForKey(keys::kDisabelRemoveNotification), 1);
    EXPECT_EQ(standard.store().integerForKey(keys::kDisabelRemoveNotification), 0);
    removals->click();
    EXPECT_EQ(suite.store().integerForKey(keys::kDisabelRemoveNotification), 0);
    EXPECT_TRUE(loginItem.calls.empty());
}

TEST(PreferencesWindow, BuiltOnFirstUse_OnceForEveryLaterShow_WithItsPanes) {
    TestSettings standard, suite;
    QTemporaryDir settingsFolder;
    platform::SettingsStore::setFolder(settingsFolder.path());
    AppDelegate delegate(standard.store(), suite.store());
    int built = 0;
    auto owner = std::make_unique<QObject>();
    QAction *show = makeShowPreferencesAction(
        [&] {
            ++built;
            return makePreferencesWindow(delegate);
        },
        owner.get());
    EXPECT_EQ(built, 0) << "nothing is built before it is asked for";
    EXPECT_EQ(show->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));

    show->trigger();
    ASSERT_EQ(built, 1);
    QPointer<PreferencesWindow> window;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<PreferencesWindow *>(w); p && p->isVisible())
            window = p;
    ASSERT_TRUE(window);
    // Two panes, one shown at a time, every switch named for the screen reader.
    const QList<QAction *> items = window->findChild<QToolBar *>()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_FALSE(items[1]->icon().pixmap(32, 32).isNull())
        << "the drawn Spider image is in the resources";
    EXPECT_EQ(window->selectedPane(), QStringLiteral("PreferencesMain"));
    items[1]->trigger();
    EXPECT_EQ(window->selectedPane(), QStringLiteral("PreferencesSpider"));
    EXPECT_TRUE(window->findChild<QStackedWidget *>()->currentWidget()->findChild<QCheckBox *>(
        QStringLiteral("enableSpiderButton")));
    EXPECT_TRUE(items[1]->isChecked() && !items[0]->isChecked());
    for (QCheckBox *b : window->findChildren<QCheckBox *>())
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();

    window->close();
    show->trigger();
    EXPECT_EQ(built, 1) << "the same window is shown again";
    EXPECT_TRUE(window->isVisible());

    owner.reset(); // the action goes, and the window it built with it
    EXPECT_TRUE(window.isNull());
    platform::SettingsStore::setFolder(QString());
}
