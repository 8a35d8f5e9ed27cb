// The preferences window offscreen: what each switch shows and enables, and where it stores.
#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/screens/PreferencesSpider.h"
#include "preferences/screens/PreferencesWindow.h"
#include "shell/AppDelegate.h"
#include "support/TreeBuilder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
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

struct Preferences : ::testing::Test {
    TestSettings standard, suite;
    RecordingLoginItem loginItem;
    std::unique_ptr<PreferencesSpider> open() {
        return std::make_unique<PreferencesSpider>(standard.store(), suite.store(), loginItem);
    }
    // The watcher switch, then the two notification boxes: checked and enabled.
    static std::vector<bool> shown(QWidget *pane) {
        std::vector<bool> out;
        for (const char *name :
             {"enableSpiderButton", "enableNotificationsButton", "removeNotifiactionsButton"})
            out.insert(out.end(), {box(pane, name)->isChecked(), box(pane, name)->isEnabled()});
        return out;
    }
};

} // namespace

TEST_F(Preferences,
       SpiderPane_StoredSwitchesShown_WatcherRegisteredInStandard_NotificationsInTheSuiteOnly) {
    // Nothing stored: the watcher off, its notices on (absent keys read 0), but disabled.
    EXPECT_EQ(shown(open().get()), (std::vector<bool>{false, true, true, false, true, false}));
    EXPECT_TRUE(loginItem.calls.empty()) << "opening the pane registers nothing";
    suite.store().setInteger(keys::kDisableNotification, 1);
    {
        const auto pane = open();
        box(pane.get(), "enableSpiderButton")->click();
        EXPECT_EQ(loginItem.calls, std::vector<bool>{true});
        EXPECT_EQ(standard.store().integerForKey(keys::kEnableSpider), 1);
        EXPECT_EQ(suite.store().integerForKey(keys::kEnableSpider), 0);
        // Both enabled, even with notifications off.
        EXPECT_EQ(shown(pane.get()), (std::vector<bool>{true, true, false, true, true, true}));
    }
    const auto pane = open();
    QCheckBox *notifications = box(pane.get(), "enableNotificationsButton");
    QCheckBox *removals = box(pane.get(), "removeNotifiactionsButton");
    notifications->click();
    EXPECT_EQ(suite.store().integerForKey(keys::kDisableNotification), 0);
    removals->click(); // a disabled box would ignore the click
    EXPECT_EQ(suite.store().integerForKey(keys::kDisabelRemoveNotification), 1);
    notifications->click();
    EXPECT_FALSE(removals->isEnabled());
    for (const QString &key : {keys::kDisableNotification, keys::kDisabelRemoveNotification})
        EXPECT_EQ(standard.store().integerForKey(key), 0) << key.toStdString();

    box(pane.get(), "enableSpiderButton")->click();
    EXPECT_EQ(loginItem.calls, (std::vector<bool>{true, false}));
    EXPECT_EQ(standard.store().integerForKey(keys::kEnableSpider), 0);
    EXPECT_EQ(shown(pane.get()), (std::vector<bool>{false, true, false, false, false, false}));
    // Everything stored: shown so at the next start.
    standard.store().setInteger(keys::kEnableSpider, 1);
    EXPECT_EQ(shown(open().get()), (std::vector<bool>{true, true, false, true, false, false}));
}

// The watcher's settings folder has a line break in its path, which an autostart entry
// cannot hold: no entry, no watcher, and the switch does not pretend otherwise.
TEST_F(Preferences, SpiderPane_WatcherThatCannotBeRegistered_SwitchStaysOff_PaneSaysWhy) {
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
    EXPECT_TRUE(QDir(config.path() + QStringLiteral("/autostart")).isEmpty());
}

TEST_F(Preferences, Window_BuiltOnFirstUse_OnceForEveryLaterShow_GeneralSwitchesStoredInStandard) {
    standard.store().setInteger(keys::kIncludeDefaultApps, 1);
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
    EXPECT_EQ(window->selectedPane(), QStringLiteral("PreferencesMain"));
    EXPECT_TRUE(box(window, "defaultAppsButton")->isChecked());
    EXPECT_FALSE(box(window, "utilitiesButton")->isChecked());
    box(window, "utilitiesButton")->click();
    EXPECT_EQ(standard.store().integerForKey(keys::kIncludeUtilities), 1);
    box(window, "defaultAppsButton")->click();
    EXPECT_EQ(standard.store().integerForKey(keys::kIncludeDefaultApps), 0);
    items[1]->trigger();
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
