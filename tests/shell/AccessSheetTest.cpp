#include "GuiFixture.h"

#include "grants/GrantKeys.h"
#include "platform/FolderAccess.h"
#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"
#include "support/CaseName.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class AccessSheet : public test::GuiTest {
protected:
    QWidget *sheet() { return openScene("zembra::SandboxViewController"); }
    QPushButton *button(const char *name) { return find<QPushButton>(sheet(), name); }
};

struct GrantCase {
    const char *name;
    const char *applications; // folder granted, "" none
    const char *home;         // "~" the home folder
    bool sheetShown;
};

ZEMBRA_PRINT_CASE_BY_NAME(GrantCase)

class AccessSheetByGrants : public AccessSheet, public testing::WithParamInterface<GrantCase> {};

} // namespace

TEST_P(AccessSheetByGrants, ShownUnlessBothAreValid) {
    const GrantCase &c = GetParam();
    tree.dir("Applications/Utilities");
    if (*c.applications)
        settings.grant(grants::kApplications, tree / c.applications);
    if (*c.home)
        settings.grant(grants::kHome, c.home == std::string("~") ? home() : tree / c.home);
    window();
    EXPECT_EQ(sheet() != nullptr, c.sheetShown);
    EXPECT_EQ(settings.store().integerForKey(screens::kPresentAsSheet), c.sheetShown ? 1 : 0);
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"))
        << "the home screen stays underneath";
    if (c.sheetShown) { // a grant in place disables exactly its button
        EXPECT_EQ(button("switchAllowApplications")->isEnabled(),
                  c.applications != std::string("Applications"));
        EXPECT_EQ(button("switchAllowHome")->isEnabled(), c.home != std::string("~"));
    }
}

INSTANTIATE_TEST_SUITE_P(Grants, AccessSheetByGrants,
                         testing::Values(GrantCase{"BothValid", "Applications", "~", false},
                                         GrantCase{"None", "", "", true},
                                         GrantCase{"OnlyApplications", "Applications", "", true},
                                         GrantCase{"HomeParent", "Applications", "Users", true},
                                         GrantCase{"Utilities", "Applications/Utilities", "~",
                                                   true}),
                         zembra::test::CaseName());

TEST_F(AccessSheet, OneGrantAtATime_ClosesAfterTheSecond_WrongOrCancelledLeaveTheButton) {
    window();
    // Cancelled, then a folder that is not the one asked for: stored, the button stays.
    panel.answers = {std::nullopt, tree.dir("Applications/Utilities"), tree / "Applications",
                     tree.dir("Users/someone-else"), home()};
    button("switchAllowApplications")->click();
    EXPECT_TRUE(settings.store().dataForKey(grants::kApplications).isEmpty());
    button("switchAllowApplications")->click();
    settle();
    EXPECT_TRUE(button("switchAllowApplications")->isEnabled());
    EXPECT_EQ(settings.store().dataForKey(grants::kApplications),
              platform::bookmarkData(tree / "Applications/Utilities"));

    button("switchAllowApplications")->click();
    settle();
    ASSERT_NE(sheet(), nullptr) << "one grant is not enough";
    EXPECT_FALSE(button("switchAllowApplications")->isEnabled());
    button("switchAllowHome")->click(); // another user's home folder
    settle();
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(button("switchAllowHome")->isEnabled());
    button("switchAllowHome")->click();
    settle();
    EXPECT_EQ(sheet(), nullptr);
    ASSERT_EQ(panel.requests.size(), 5u);
    for (const auto &r : panel.requests)
        EXPECT_EQ(r.title + '|' + r.prompt, QStringLiteral("Allow access|Allow"));
}

TEST_F(AccessSheet,
       WholeDisk_OtherFolderSwitchesTheSearchOn_RootAlsoDisablesTheButtonWhenReopened) {
    grantBoth();
    const auto macOS = [&] {
        return find<QPushButton>(openScene("zembra::OptionalPurpose"), "macOSButton");
    };
    window().viewController()->presentOptionalPreferences();
    panel.answers = {tree.root(), fs::path("/")};
    macOS()->click();
    EXPECT_TRUE(macOS()->isEnabled()) << "another folder than the root";
    EXPECT_EQ(settings.store().integerForKey(grants::kAllowAny), 1);
    EXPECT_EQ(panel.requests.back().directory, fs::path("/"));
    macOS()->click();
    EXPECT_FALSE(macOS()->isEnabled());
    openScene("zembra::OptionalPurpose")->close();
    settle();
    window().viewController()->presentOptionalPreferences();
    EXPECT_FALSE(macOS()->isEnabled()) << "reopened";
}

// The sheet's quit button, and Ctrl+Q pressed while it is up, end the process with status 0.
TEST_F(AccessSheet, QuitButtonOrShortcut_EndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            window();
            button("exitButton")->click();
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            window();
            QApplication::setActiveWindow(sheet());
            QTest::keyClick(sheet()->focusWidget(), Qt::Key_Q, Qt::ControlModifier);
            QCoreApplication::processEvents();
        },
        testing::ExitedWithCode(0), "");
}

// The real panel the sheets ask: folders only, under the title and prompt asked for.
TEST(OpenPanel, FoldersOnlyWithTitleAndPrompt_AnswersOnceWithTheChoice) {
    QTemporaryDir dir;
    QWidget parent;
    parent.show();
    std::vector<std::optional<fs::path>> answers;
    const auto open = [&](const QString &title) {
        platform::OpenPanel::shared().beginModal({title, "Allow", dir.path().toStdString()},
                                                 &parent, &parent,
                                                 [&](auto folder) { answers.push_back(folder); });
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
                return dialog;
        return static_cast<QFileDialog *>(nullptr);
    };
    QFileDialog *dialog = open("Allow access");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Allow access"));
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Allow"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(dialog->filter() & (QDir::Hidden | QDir::Files)) << "hidden folders, files";
    EXPECT_EQ(dialog->directory().absolutePath(), dir.path());
    dialog->reject();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers.front().has_value()) << "cancelled";

    dialog = open(QString());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(dir.path());
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers.back(), fs::path(dir.path().toStdString()));
}
