#include "GuiFixture.h"

#include "catalogue/screens/ApplicationsRowView.h"
#include "platform/SettingsStore.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace zembra;
using zembra::test::GuiTest;

namespace {

class Keyboard : public GuiTest {
protected:
    // Where the keys go: the window that has the focus, and the control focused in it.
    QWidget *focused() {
        QWidget *active = QApplication::activeWindow();
        return active ? active->focusWidget() : nullptr;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *to = focused();
        ASSERT_NE(to, nullptr) << "nothing has the focus";
        QTest::keyClick(to, Qt::Key(key), modifiers);
        settle();
    }
    QString focusedName() {
        QWidget *w = focused();
        return w ? w->objectName() : QString();
    }
};

} // namespace

TEST_F(Keyboard, AfterEachSwitch_TheScreensFirstControlHasTheFocus) {
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    window();
    const std::pair<const char *, const char *> cases[] = {
        {"applications_view_controller", "search_field"},
        {"home_view_controller", "applications"},
        {"removed_applications_view_controller", "tableviewR"}};
    for (const auto &[screenName, control] : cases) {
        QApplication::setActiveWindow(&window());
        post(QString::fromLatin1(screenName));
        // The removed applications may have been searched already (the results arrive as
        // soon as they are found): with nothing found the table is hidden, Back takes over.
        auto *table = find<QWidget>(screen(), "tableviewR");
        EXPECT_EQ(focusedName(),
                  QString::fromLatin1(table && table->isHidden() ? "home_back" : control))
            << screenName;
    }
}

TEST_F(Keyboard, ApplicationsList_TabReachesEveryControl_EnterReviewsEscapeGoesHome) {
    tree.app("Applications/One.app", "com.x.one");
    tree.app("Applications/Two.app", "com.x.two");
    grantBoth();
    window();
    QApplication::setActiveWindow(&window());
    press(Qt::Key_Return); // Home: its first button leads to the list
    ASSERT_EQ(screenName(),
              QStringLiteral("zembra::ApplicationsViewController/ApplicationsViewController"));

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
    const QImage picture = list->viewport()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(ApplicationsRowView::kIconColumn - 4, current.center().y()),
              list->palette().color(QPalette::Highlight));
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    ASSERT_TRUE(find<QPushButton>(screen(), "switch_next")->isEnabled());
    const auto chosen = delegate->state().item();
    ASSERT_NE(chosen, nullptr);
    press(Qt::Key_Return);
    EXPECT_EQ(reviewsShown, 1) << "Enter pressed the default button";

    post(screens::kApplicationsViewController);
    press(Qt::Key_Escape);
    EXPECT_EQ(screenName(), QStringLiteral("zembra::HomeViewController/HomeViewController"));
}

TEST_F(Keyboard, AccessSheet_QuitAndWholeDiskShortcutsWork_NoOtherWayOut) {
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

    // Quit reaches the window's action (its own effect, ending the process, is left out).
    QAction *quit = nullptr;
    for (QAction *a : window().findChildren<QAction *>())
        if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q))
            quit = a;
    ASSERT_NE(quit, nullptr);
    QObject::disconnect(quit, &QAction::triggered, nullptr, nullptr);
    int quits = 0;
    QObject::connect(quit, &QAction::triggered, [&quits] { ++quits; });
    QApplication::setActiveWindow(sheet);
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);

    QApplication::setActiveWindow(sheet);
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_NE(openScene("zembra::OptionalPurpose"), nullptr)
        << "the whole-disk sheet over the access sheet";
}
