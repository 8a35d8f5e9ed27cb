#include "periphery/RoundCell.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace zembra {

RoundCell::RoundCell(QWidget *parent) : QPushButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setMinimumHeight(28);
}

QColor RoundCell::bezelColor(bool highlighted, bool enabled) {
    QColor c;
    if (highlighted)
        c.setRgbF(0.5f, 0.5f, 0.5f, 0.4f);
    else if (enabled)
        c.setRgbF(0.1f, 0.1f, 0.1f, 0.7f);
    else
        c.setRgbF(0.2f, 0.2f, 0.2f, 0.45f);
    return c;
}

void RoundCell::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(rect()), 4.0, 4.0);
    p.fillPath(bezel, bezelColor(isDown(), isEnabled()));

    // The title in white; the keyboard focus as a thin white ring inside the bezel.
    p.setPen(Qt::white);
    QRect content = rect().adjusted(8, 0, -8, 0);
    if (!icon().isNull()) {
        const QSize is = iconSize();
        const int left = text().isEmpty() ? (width() - is.width()) / 2 : content.left();
        p.drawPixmap(left, (height() - is.height()) / 2,
                     icon().pixmap(is, isEnabled() ? QIcon::Normal : QIcon::Disabled));
        if (!text().isEmpty())
            content.setLeft(left + is.width() + 6);
    }
    p.drawText(content, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QPen ring(QColor(255, 255, 255, 160));
        ring.setWidthF(1.0);
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3.0, 3.0);
    }
}

} // namespace zembra
