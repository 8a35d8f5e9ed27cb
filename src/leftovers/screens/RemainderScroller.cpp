#include "leftovers/screens/RemainderScroller.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace zembra {

RemainderScroller::RemainderScroller(QWidget *parent) : QScrollBar(Qt::Vertical, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void RemainderScroller::paintEvent(QPaintEvent *) {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect knob =
        style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
    if (knob.isEmpty() || maximum() == minimum())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, isSliderDown() ? 140 : 90));
    const QRectF r = QRectF(knob).adjusted(3, 2, -3, -2);
    p.drawRoundedRect(r, r.width() / 2, r.width() / 2);
}

} // namespace zembra
