#include "catalogue/screens/ApplicationsRowView.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>

namespace zembra {

const QColor ApplicationsRowView::kTextColor = QColor(76, 76, 76);
const QColor ApplicationsRowView::kSelectedTextColor = QColor(8, 121, 253);
const QColor ApplicationsRowView::kSeparatorColor = QColor(212, 212, 213);
const QColor ApplicationsRowView::kBarTop = QColor(0, 89, 228);
const QColor ApplicationsRowView::kBarBottom = QColor(0, 148, 239);

void ApplicationsRowView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const int iconSize = 36;
    const QPoint iconAt(r.x() + (kIconColumn - iconSize) / 2, r.y() + (r.height() - iconSize) / 2);
    icon.paint(painter, QRect(iconAt, QSize(iconSize, iconSize)));

    QFont font = option.font;
    font.setPointSizeF(font.pointSizeF() * 1.1);
    painter->setFont(font);
    painter->setPen(selected ? kSelectedTextColor : kTextColor);
    const QRect text(r.x() + kIconColumn, r.y(), kBarX - kIconColumn - 8, r.height());
    const QString label = QFontMetrics(font).elidedText(index.data(Qt::DisplayRole).toString(),
                                                        Qt::ElideRight, text.width());
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, label);

    painter->fillRect(QRect(r.x() + kIconColumn, r.bottom(), r.width() - kIconColumn, 1),
                      kSeparatorColor);

    if (selected) {
        // Top to bottom, dark to light blue, whatever rectangle the view asked to repaint.
        const QRect bar(r.x() + kBarX, r.y(), kBarWidth, kRowHeight);
        QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
        gradient.setColorAt(0, kBarTop);
        gradient.setColorAt(1, kBarBottom);
        painter->fillRect(bar, gradient);
    }
    // The keyboard's current row gets a thin frame, so a Tab into the list shows where
    // Down and Enter will act; a clicked row looks as it did.
    if ((option.state & QStyle::State_HasFocus) &&
        (option.state & QStyle::State_KeyboardFocusChange)) {
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(
            QRect(r.x() + kIconColumn - 4, r.y() + 1, kBarX - kIconColumn + 2, r.height() - 3));
    }
    painter->restore();
}

QSize ApplicationsRowView::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const {
    return {kRowWidth, kRowHeight};
}

} // namespace zembra
