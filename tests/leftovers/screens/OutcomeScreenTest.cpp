#include "ScreenFixture.h"

#include "leftovers/screens/CantRemoveViewController.h"
#include "leftovers/screens/OutcomeKeys.h"
#include "leftovers/screens/RateAppCount.h"
#include "leftovers/screens/RateAppViewController.h"
#include "leftovers/screens/RatingKeys.h"
#include "leftovers/screens/RemoveViewController.h"
#include "periphery/StoreLinks.h"
#include "platform/SettingsStore.h"
#include "platform/VisibleText.h"

#include <QTest>
#include <QToolButton>

using namespace zembra;
using namespace zembra::test;
namespace fs = std::filesystem;

namespace {

class OutcomeScreen : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        auto item = std::make_shared<ApplicationItem>();
        item->setLabel(QStringLiteral("Foo"));
        app->state().setItem(item);
    }
    // One completed removal: the counters as given, then the outcome screen appears.
    RemoveViewController *outcome(int removalsBefore, int launches, int rated = 0) {
        settings.store().setInteger(screens::kRemoveAppCount, removalsBefore);
        settings.store().setInteger(screens::kAppLaunchCount, launches);
        settings.store().setInteger(screens::kAppIsRate, rated);
        return static_cast<RemoveViewController *>(open(screens::kRemove));
    }
    template <typename T> T *popoverContent(RemoveViewController *s) const {
        return s->popover() && s->popover()->isVisible() ? s->popover()->findChild<T *>() : nullptr;
    }
    int setting(const QString &key) { return settings.store().integerForKey(key); }
};

} // namespace

// Which prompt a completed removal brings, by the removals before it, the launches and
// whether the user rated; the removal counter grows either way.
TEST_F(OutcomeScreen, RatingPrompts_TenthRemovalPopover_TenthLaunchSheet_NoneOnceRated) {
    const struct {
        int removalsBefore, launches, rated;
        bool popover, sheet;
    } cases[] = {{9, 3, 0, true, false},  {10, 3, 0, false, false}, {4, 20, 0, false, true},
                 {9, 20, 0, true, false}, {9, 20, 1, false, false}, {0, 0, 0, false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.removalsBefore << " removals, " << c.launches
                                        << " launches, rated " << c.rated);
        auto *s = outcome(c.removalsBefore, c.launches, c.rated);
        EXPECT_EQ(setting(screens::kRemoveAppCount), c.removalsBefore + 1);
        EXPECT_EQ(popoverContent<RateAppViewController>(s) != nullptr, c.popover);
        EXPECT_EQ(s->popover() != nullptr, c.popover);
        auto *sheet = sheetContent<RateAppCount>();
        EXPECT_EQ(sheet != nullptr, c.sheet);
        if (sheet)
            sheet->window()->close();
    }
    auto *rate = popoverContent<RateAppViewController>(outcome(9, 3));
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->findChild<QLabel *>("label")->text(),
              QStringLiteral("You are removed 10 apps.You enjoyed this app?"));
    EXPECT_EQ(child<QLabel>("name")->text(), QStringLiteral("Foo"));
    outcome(4, 20);
    auto *sheet = sheetContent<RateAppCount>();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->findChild<QLabel *>("text")->text(),
              QStringLiteral("You use app 20 times.Do you like Uninstaller zembra?"));
}

TEST_F(OutcomeScreen, EntryLeftBehind_OnlyCantRemove_RatingWaitsForTwentieth) {
    const fs::path left = t.file("Users/me/Library/Logs/stuck.log");
    app->state().setRemainder_urls({FileEntry::file(left), FileEntry::file(t / "Users/me/gone")});
    auto *s = outcome(9, 10);
    EXPECT_TRUE(popoverContent<CantRemoveViewController>(s));
    EXPECT_FALSE(sheetContent<RateAppCount>());

    // The first entry decides: once it is gone, no popover for what remains.
    fs::remove(left);
    s = outcome(19, 3);
    EXPECT_TRUE(popoverContent<RateAppViewController>(s));
}

TEST_F(OutcomeScreen, StoreButtons_OpenTheWebPageAndSilence_LaterOnlyCloses) {
    auto *s = outcome(9, 3);
    auto *rate = popoverContent<RateAppViewController>(s);
    ASSERT_TRUE(rate);
    QTest::mouseClick(rate->findChild<QPushButton *>("no"), Qt::LeftButton);
    EXPECT_FALSE(s->popover() && s->popover()->isVisible());
    EXPECT_EQ(setting(screens::kAppIsRate), 0);
    EXPECT_TRUE(workspace.opened.empty());

    s = outcome(19, 3);
    rate = popoverContent<RateAppViewController>(s);
    ASSERT_TRUE(rate);
    QTest::mouseClick(rate->findChild<QPushButton *>("Dislike"), Qt::LeftButton);
    EXPECT_FALSE(s->popover() && s->popover()->isVisible());
    EXPECT_EQ(setting(screens::kAppIsRate), 1);
    // No handler for the store's scheme here: the product's web page instead.
    EXPECT_EQ(workspace.opened, std::vector<QUrl>{kProductWebPage});

    outcome(4, 30);
    settings.store().setInteger(screens::kAppIsRate, 0);
    outcome(4, 30);
    auto *sheet = sheetContent<RateAppCount>();
    ASSERT_TRUE(sheet);
    QTest::mouseClick(sheet->findChild<QPushButton *>("yesApp"), Qt::LeftButton);
    EXPECT_EQ(setting(screens::kAppIsRate), 1);
    EXPECT_TRUE(sheet->isVisible()); // the sheet stays
}

TEST_F(OutcomeScreen, Popovers_InTheAccessibilityTreeWithTextAndButtons_TakeTheFocus) {
    const fs::path left = t.file("Users/me/Library/Logs/stuck.log");
    app->state().setRemainder_urls({FileEntry::file(left)});
    auto *s = outcome(0, 3);
    ASSERT_TRUE(popoverContent<CantRemoveViewController>(s));
    expectInAccessibilityTree(s->popover(),
                              {QStringLiteral("Some entries could not be removed."),
                               QStringLiteral("Show the remaining entries in the file manager")},
                              "could not be removed");

    app->state().setRemainder_urls({});
    s = outcome(9, 3);
    ASSERT_TRUE(popoverContent<RateAppViewController>(s));
    expectInAccessibilityTree(
        s->popover(), {QStringLiteral("You are removed 10 apps.You enjoyed this app?")}, "rating");
}

TEST_F(OutcomeScreen, LongHostileName_EscapedAndCutInTheMiddle_WholeInTooltip) {
    const QString name =
        QStringLiteral("Evil\nName\u202e") + QString(300, QLatin1Char('x')) + QStringLiteral("end");
    app->state().item()->setLabel(name);
    outcome(0, 3);
    auto *label = child<QLabel>("name");
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Evil\\nName\\u202e")))
        << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("xend"))) << "both ends kept";
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_EQ(label->toolTip(), platform::visiblyEscaped(name));
    EXPECT_EQ(label->accessibleName(), label->toolTip());
}
