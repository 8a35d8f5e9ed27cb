// The main window: its navigation between screens, the keyboard's road through them, the
// access sheet over it (and the open panel the sheet asks), and the drop target at home.
#include "GuiFixture.h"

#include "catalogue/screens/ApplicationsRowView.h"
#include "platform/FolderAccess.h"
#include "shell/DragAndDropImageView.h"
#include "support/CaseName.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QListView>
#include <QMimeData>
#include <QPushButton>

#include <sys/stat.h>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class Navigation : public test::GuiTest {
protected:
    Navigation() { grantBoth(); }
};

class Keyboard : public test::GuiTest {
protected:
    // Where the keys go: the control focused in the window that has the focus.
    QWidget *focused() {
        QWidget *active = QApplication::activeWindow();
        return active ? active->focusWidget() : nullptr;
    }
    QString focusedName() { return focused() ? focused()->objectName() : QString(); }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        ASSERT_NE(focused(), nullptr) << "nothing has the focus";
        QTest::keyClick(focused(), Qt::Key(key), modifiers);
        settle();
    }
};

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

class DropTarget : public Navigation {
protected:
    DropTarget() { window(); }
    // Files of the tree as a drag carries them.
    QList<QUrl> urls(std::initializer_list<std::string> files) {
        QList<QUrl> out;
        for (const std::string &f : files)
            out << QUrl::fromLocalFile(QString::fromStdString((tree / f).native()));
        return out;
    }
    // A drag's entry, whose acceptance is returned, and when `dropped` the drop that follows
    // (the entry made the view the drag's target).
    bool drag(const QList<QUrl> &urls, bool dropped = false) {
        QMimeData data;
        data.setUrls(urls);
        QWidget *view = find<DragAndDropImageView>(screen(), "drop_image");
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &enter);
        QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (dropped)
            QCoreApplication::sendEvent(view, &drop);
        settle();
        return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
    }
};

} // namespace

TEST_F(Navigation, StartsAtHome_EachVisitMakesTheScreenAfresh_BackReplacesIt_UnknownKeepIt) {
    for (int i = 0; i < 5; ++i)
        delegate->applicationDidFinishLaunching();
    EXPECT_EQ(settings.store().integerForKey(screens::kAppLaunchCount), 5);
    EXPECT_EQ(screenName(), kHomeScreen);
    // The outcome popovers reach x 570 and y 188; an applications row ends at x 349.
    EXPECT_GE(window().viewController()->width(), 570);
    EXPECT_GE(window().viewController()->height(), 188);
    EXPECT_EQ(window().minimumSize(), window().maximumSize()) << "the window has a fixed size";

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

// After each switch the screen's first control has the focus.
TEST_F(Keyboard, ApplicationsList_TabReachesEveryControl_EnterReviewsEscapeGoesHome) {
    tree.app("Applications/One.app", "com.x.one");
    tree.app("Applications/Two.app", "com.x.two");
    grantBoth();
    QApplication::setActiveWindow(&window());
    press(Qt::Key_Return); // Home: its first button leads to the list
    QStringList order{focusedName()};
    for (int i = 0; i < 3; ++i) {
        press(Qt::Key_Tab);
        order << focusedName();
    }
    // The next button starts disabled and is passed over until a row is chosen.
    EXPECT_EQ(order, (QStringList{"search_field", "tableviewA", "home_back", "search_field"}));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), QStringLiteral("home_back"));

    press(Qt::Key_Tab); // the field
    press(Qt::Key_Tab); // the list
    // Its current row is framed, so the user sees where Down and Enter will act.
    auto *list = find<QListView>(screen(), "tableviewA");
    const QRect current = list->visualRect(list->currentIndex());
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(list->viewport()->grab().toImage().pixelColor(ApplicationsRowView::kIconColumn - 4,
                                                            current.center().y()),
              list->palette().color(QPalette::Highlight));
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    ASSERT_TRUE(find<QPushButton>(screen(), "switch_next")->isEnabled());
    press(Qt::Key_Return);
    EXPECT_EQ(reviewsShown, 1) << "Enter pressed the default button";

    post(screens::kApplicationsViewController);
    press(Qt::Key_Escape);
    EXPECT_EQ(screenName(), kHomeScreen);
    EXPECT_EQ(focusedName(), QStringLiteral("applications"));
    // The removed applications may have been searched already (the results arrive as soon
    // as they are found): with nothing found the table is hidden, Back takes over.
    post(screens::kRemovedApplicationsViewController);
    auto *table = find<QWidget>(screen(), "tableviewR");
    EXPECT_EQ(focusedName(), table->isHidden() ? "home_back" : "tableviewR");
}

TEST_F(Keyboard, AccessSheet_KeepsTheFocus_NoWayOutButBothGrants_WholeDiskShortcutWorks) {
    window(); // no grants: the access sheet is up
    QWidget *sheet = openScene("zembra::SandboxViewController");
    ASSERT_NE(sheet, nullptr);
    QApplication::setActiveWindow(sheet);
    EXPECT_TRUE(sheet->findChildren<QDialogButtonBox *>().isEmpty()) << "no Close button";
    EXPECT_EQ(focused() ? focused()->window() : nullptr, sheet) << "the sheet takes the focus";
    press(Qt::Key_Escape);
    sheet->close();
    settle();
    EXPECT_NE(openScene("zembra::SandboxViewController"), nullptr) << "only both grants close it";

    for (int i = 0; i < 2; ++i) {
        QApplication::setActiveWindow(sheet);
        press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_NE(openScene("zembra::OptionalPurpose"), nullptr) << "over the access sheet";
        EXPECT_EQ(openScenes().size(), 2u) << "pressed again, the sheet is not stacked";
    }
}

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
    EXPECT_EQ(screenName(), kHomeScreen) << "the home screen stays underneath";
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
    const auto open = [&] {
        platform::OpenPanel::shared().beginModal(
            {"Allow access", "Allow", dir.path().toStdString()}, &parent, &parent,
            [&](auto folder) { answers.push_back(folder); });
        return parent.findChild<QFileDialog *>();
    };
    for (const bool chosen : {false, true}) {
        QFileDialog *dialog = open();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle() + '|' + dialog->labelText(QFileDialog::Accept),
                  QStringLiteral("Allow access|Allow"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_FALSE(dialog->filter() & (QDir::Hidden | QDir::Files)) << "hidden folders, files";
        EXPECT_EQ(dialog->directory().absolutePath(), dir.path());
        if (chosen) {
            dialog->selectFile(dir.path());
            QMetaObject::invokeMethod(dialog, "accept");
        } else {
            dialog->reject();
        }
        delete dialog;
        ASSERT_EQ(answers.size(), chosen ? 2u : 1u);
        EXPECT_EQ(answers.back(),
                  chosen ? std::optional(fs::path(dir.path().toStdString())) : std::nullopt);
    }
}

TEST_F(DropTarget, Drag_TheFirstFileDecides_ARefusedOneDropsNothing) {
    const std::pair<QList<QUrl>, bool> cases[] = {{urls({"Foo.app"}), true},
                                                  {urls({"Foo.txt"}), false},
                                                  {urls({"Foo.app", "Bar.txt"}), true},
                                                  {urls({"Bar.txt", "Foo.app"}), false},
                                                  {urls({"Foo.APP"}), false},
                                                  {urls({"Foo.app/"}), true},
                                                  {{}, false}};
    for (const auto &[dragged, accepted] : cases)
        EXPECT_EQ(drag(dragged), accepted)
            << (dragged.isEmpty() ? "nothing" : dragged[0].path().toStdString());
    drag(urls({"Foo.txt"}), true);
    EXPECT_EQ(reviewsShown, 0);
    EXPECT_EQ(delegate->state().item(), nullptr);
}

// Named like a bundle but no folder: refused, and the refusal is said. A real bundle outside
// the granted folders and left out of the list by its identifier still goes to its review.
TEST_F(DropTarget, NoFolderRefusedWithTheReason_BundleOutsideApplicationsReviewedAndGranted) {
    const fs::path real = tree.app("Downloads/Real.app", "com.x.real");
    tree.file("Downloads/File.app");
    ASSERT_EQ(mkfifo((tree / "Downloads/Fifo.app").c_str(), 0644), 0);
    tree.link("Downloads/Link.app", real);
    tree.link("Downloads/Dangling.app", tree / "nowhere.app");
    for (const char *name : {"File.app", "Fifo.app", "Link.app", "Dangling.app"}) {
        SCOPED_TRACE(name);
        drag(urls({std::string("Downloads/") + name}), true);
        EXPECT_EQ(reviewsShown, 0);
        EXPECT_EQ(delegate->state().item(), nullptr);
        EXPECT_TRUE(delegate->state().granted_items().empty());
        QLabel *said = nullptr;
        for (QWidget *scene : openScenes())
            if (auto *label = scene->findChild<QLabel *>(QStringLiteral("DropRefused")))
                said = label;
        ASSERT_NE(said, nullptr) << "the refusal is said";
        EXPECT_EQ(said->text(),
                  QString(name) + " is not an application bundle: a bundle is a folder");
        said->window()->close();
        settle();
    }

    const fs::path bundle = tree.app("Downloads/Tool.app", "com.apple.Safari", "Tool");
    settings.store().setInteger(screens::kSheet, 1);
    drag(urls({"Downloads/Tool.app", "notes.txt"}), true);
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->url(), bundle);
    EXPECT_EQ(settings.store().integerForKey(screens::kSheet), 1)
        << "the drop leaves the Back target alone";
    EXPECT_EQ(delegate->state().granted_items(), std::vector<fs::path>{bundle}) << "nothing else";
}
