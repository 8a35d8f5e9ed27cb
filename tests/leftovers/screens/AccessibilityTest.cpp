#include "ScreenFixture.h"

#include "leftovers/screens/RemoveViewController.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QProgressBar>

using namespace zembra;
using namespace zembra::test;

namespace {

// The names a screen reader would speak for the controls of one window; a control
// without a name is listed as "".
void controlNames(QAccessibleInterface *node, QStringList &names) {
    if (!node || node->state().invisible)
        return;
    switch (node->role()) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::ProgressBar:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::EditableText:
        names << node->text(QAccessible::Name);
        if (node->role() == QAccessible::Table)
            return; // its cells are items, not controls
        break;
    default:
        break;
    }
    for (int i = 0; i < node->childCount(); ++i)
        controlNames(node->child(i), names);
}

void expectNamedUniquely(QWidget *window) {
    QStringList names;
    controlNames(QAccessible::queryAccessibleInterface(window), names);
    EXPECT_FALSE(names.isEmpty());
    for (const QString &n : names)
        EXPECT_FALSE(n.isEmpty()) << names.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(names.removeDuplicates(), 0) << names.join(QStringLiteral(" | ")).toStdString();
}

class Accessibility : public ScreenFixture {};

} // namespace

TEST_F(Accessibility, ReviewAndOutcome_EveryControlNamedOnce_RowsReadAsEntryNames) {
    choose(t.app("Applications/Foo.app", "com.vendor.foo", "Foo"));
    t.file("Users/me/Library/Preferences/com.vendor.foo.plist");
    open(screens::kRemainder);
    ASSERT_TRUE(waitUntil([this] { return !child<QProgressBar>("progress")->isVisible(); }));
    expectNamedUniquely(&window);

    QAccessibleInterface *table =
        QAccessible::queryAccessibleInterface(child<QWidget>("tableviewR"));
    ASSERT_TRUE(table && table->tableInterface());
    EXPECT_EQ(table->text(QAccessible::Name), QStringLiteral("Leftovers"));
    EXPECT_EQ(table->tableInterface()->cellAt(1, 0)->text(QAccessible::Name),
              QStringLiteral("Foo.app"));
    EXPECT_EQ(table->tableInterface()->cellAt(3, 0)->text(QAccessible::Name),
              QStringLiteral("com.vendor.foo.plist"));
    EXPECT_TRUE(table->tableInterface()->cellAt(3, 0)->state().checkable);

    // The outcome, and its rating popover (a window of its own).
    settings.store().setInteger(QStringLiteral("remove_app_count"), 9);
    auto *outcome = static_cast<RemoveViewController *>(open(screens::kRemove));
    expectNamedUniquely(&window);
    ASSERT_TRUE(outcome->popover());
    expectNamedUniquely(outcome->popover());
}
