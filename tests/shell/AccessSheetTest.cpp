#include "GuiFixture.h"

#include "grants/GrantKeys.h"
#include "platform/FolderAccess.h"
#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"
#include "support/CaseName.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

using namespace zembra;
using zembra::test::GuiTest;
namespace fs = std::filesystem;

namespace {

struct GrantCase {
    const char *name;
    const char *applications; // relative folder granted, "" none
    const char *home;         // "~" the home folder
    bool sheetShown;
};

ZEMBRA_PRINT_CASE_BY_NAME(GrantCase)

class AccessSheet : public GuiTest {
protected:
    void grant(const QString &key, const std::string &relative) {
        if (relative == "~")
            settings.grant(key, home());
        else if (!relative.empty())
            settings.grant(key, tree / relative);
    }
    QWidget *sheet() { return openScene("zembra::SandboxViewController"); }
    QPushButton *button(const char *name) { return find<QPushButton>(sheet(), name); }
};

class AccessSheetByGrants : public AccessSheet, public ::testing::WithParamInterface<GrantCase> {};

} // namespace

TEST_P(AccessSheetByGrants, ShownUnlessBothAreValid) {
    tree.dir("Applications/Utilities");
    grant(grants::kApplications, GetParam().applications);
    grant(grants::kHome, GetParam().home);
    window();
    EXPECT_EQ(sheet() != nullptr, GetParam().sheetShown);
    EXPECT_EQ(settings.store().integerForKey(screens::kPresentAsSheet),
              GetParam().sheetShown ? 1 : 0);
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"))
        << "the home screen stays underneath";
    if (GetParam().sheetShown) { // a grant in place disables exactly its button
        EXPECT_EQ(button("switchAllowApplications")->isEnabled(),
                  GetParam().applications != std::string("Applications"));
        EXPECT_EQ(button("switchAllowHome")->isEnabled(), GetParam().home != std::string("~"));
    }
}

INSTANTIATE_TEST_SUITE_P(Grants, AccessSheetByGrants,
                         ::testing::Values(GrantCase{"BothValid", "Applications", "~", false},
                                           GrantCase{"None", "", "", true},
                                           GrantCase{"OnlyApplications", "Applications", "", true},
                                           GrantCase{"HomeParent", "Applications", "Users", true},
                                           GrantCase{"Utilities", "Applications/Utilities", "~",
                                                     true}),
                         zembra::test::CaseName());

TEST_F(AccessSheet, OneGrantAtATime_ClosesAfterTheSecond_WrongOrCancelledLeaveTheButton) {
    tree.dir("Applications/Utilities");
    window();
    // Cancelled, then a folder that is not the one asked for: stored, the button stays.
    panel.answers = {std::nullopt, tree / "Applications/Utilities"};
    button("switchAllowApplications")->click();
    EXPECT_TRUE(settings.store().dataForKey(grants::kApplications).isEmpty());
    button("switchAllowApplications")->click();
    settle();
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(button("switchAllowApplications")->isEnabled());
    EXPECT_EQ(settings.store().dataForKey(grants::kApplications),
              platform::bookmarkData(tree / "Applications/Utilities"));

    panel.answers = {tree / "Applications"};
    button("switchAllowApplications")->click();
    settle();
    ASSERT_NE(sheet(), nullptr) << "one grant is not enough";
    EXPECT_FALSE(button("switchAllowApplications")->isEnabled());
    EXPECT_TRUE(button("switchAllowHome")->isEnabled());
    panel.answers = {home()};
    button("switchAllowHome")->click();
    settle();
    EXPECT_EQ(sheet(), nullptr);
    ASSERT_EQ(panel.requests.size(), 4u);
    for (const auto &r : panel.requests) {
        EXPECT_EQ(r.title, QStringLiteral("Allow access"));
        EXPECT_EQ(r.prompt, QStringLiteral("Allow"));
    }
}

TEST_F(AccessSheet,
       WholeDisk_OtherFolderSwitchesTheSearchOn_RootAlsoDisablesTheButtonWhenReopened) {
    grantBoth();
    window().viewController()->presentOptionalPreferences();
    QWidget *wholeDisk = openScene("zembra::OptionalPurpose");
    ASSERT_NE(wholeDisk, nullptr);
    auto *macOS = find<QPushButton>(wholeDisk, "macOSButton");
    panel.answers = {tree.root(), fs::path("/")};
    macOS->click();
    EXPECT_TRUE(macOS->isEnabled()) << "another folder than the root";
    EXPECT_EQ(settings.store().integerForKey(grants::kAllowAny), 1);
    EXPECT_EQ(panel.requests.back().directory, fs::path("/"));
    macOS->click();
    EXPECT_FALSE(macOS->isEnabled());
    wholeDisk->close();
    settle();

    window().viewController()->presentOptionalPreferences();
    EXPECT_FALSE(
        find<QPushButton>(openScene("zembra::OptionalPurpose"), "macOSButton")->isEnabled());
}

// The sheet's quit button, and Ctrl+Q while it is up, end the process with status 0.
TEST_F(AccessSheet, QuitButtonOrShortcut_EndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            window();
            button("exitButton")->click();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            window();
            for (QAction *action : window().actions())
                if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q))
                    action->trigger();
        },
        ::testing::ExitedWithCode(0), "");
}
