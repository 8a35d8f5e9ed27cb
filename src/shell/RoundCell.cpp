#include "shell/RoundCell.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

namespace zembra {

RoundCell::RoundCell(QWidget *parent) : QPushButton(parent) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
}

QColor RoundCell::bezelColor(bool pressed, bool enabled) {
    if (pressed)
        return QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.4f);
    return enabled ? QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.7f)
                   : QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.45f);
}

void RoundCell::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(rect()), 4.0, 4.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillPath(bezel, bezelColor(isDown(), isEnabled()));

    QStyleOption option;
    option.initFrom(this);
    // A focus ring once the keyboard moved the focus: its users need to see where they are.
    if ((option.state & QStyle::State_HasFocus) &&
        (option.state & QStyle::State_KeyboardFocusChange)) {
        painter.setPen(QPen(QColor(8, 121, 253), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4.0, 4.0);
    }
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

} // namespace zembra
