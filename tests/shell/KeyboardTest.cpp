#include "GuiFixture.h"

#include "catalogue/screens/ApplicationsRowView.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace zembra;

namespace {

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

} // namespace

TEST_F(Keyboard, AfterEachSwitch_TheScreensFirstControlHasTheFocus) {
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    const std::pair<const char *, const char *> cases[] = {
        {"applications_view_controller", "search_field"},
        {"home_view_controller", "applications"},
        {"removed_applications_view_controller", "tableviewR"}};
    for (const auto &[screenName, control] : cases) {
        QApplication::setActiveWindow(&window());
        post(screenName);
        // The removed applications may have been searched already (the results arrive as
        // soon as they are found): with nothing found the table is hidden, Back takes over.
        auto *table = find<QWidget>(screen(), "tableviewR");
        EXPECT_EQ(focusedName(), table && table->isHidden() ? "home_back" : control) << screenName;
    }
}

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
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"));
}

// Ctrl+Q pressed in the sheet is the access sheet's quit test: it ends the process.
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
