#include "shell/RoundCell.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

using zembra::RoundCell;

namespace {

// The grey level the button shows in its middle, drawn over a white window.
int shownGrey(RoundCell &button) {
    const QImage image = button.grab().toImage();
    return qGray(image.pixel(4, image.height() / 2)); // clear of the white title
}

} // namespace

TEST(RoundCell, States_DisabledLighterThanEnabled_PressedLightest) {
    QWidget window;
    window.setStyleSheet(QStringLiteral("background: white;"));
    window.resize(200, 60);
    auto *button = new RoundCell(&window);
    button->setText(QStringLiteral("Review"));
    button->setGeometry(10, 10, 120, 32);
    window.show();

    const int enabled = shownGrey(*button);
    button->setDown(true);
    const int pressed = shownGrey(*button);
    button->setDown(false);
    button->setEnabled(false);
    const int disabled = shownGrey(*button);
    button->setEnabled(true);
    button->setEnabled(false);
    button->setDown(true);
    const int pressedDisabled = shownGrey(*button);

    // White 0.1 at 0.7, white 0.2 at 0.45, white 0.5 at 0.4, over white.
    EXPECT_NEAR(enabled, 94, 3);
    EXPECT_NEAR(disabled, 163, 3);
    EXPECT_NEAR(pressed, 204, 3);
    EXPECT_EQ(pressedDisabled, pressed) << "pressing shows the same whatever the enabled state";
}
