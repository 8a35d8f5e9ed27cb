#include "extensions/screens/PluginsTableCellDelegate.h"

#include "extensions/screens/ExtensionListModel.h"

#include <QLinearGradient>
#include <QPainter>

namespace zembra {

namespace {
const QColor kSelectedText(8, 121, 253);
const QColor kText(76, 76, 76);
const QColor kSeparator(212, 212, 213);
constexpr int kIconSize = 32;
constexpr int kTextLeft = 72;
constexpr int kSizeWidth = 90;
constexpr int kBarWidth = 6;
} // namespace

void PluginsTableCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        icon.paint(painter, QRect(r.left() + 24, r.top() + (r.height() - kIconSize) / 2, kIconSize,
                                  kIconSize));

    const QRect textArea(r.left() + kTextLeft, r.top() + 6,
                         r.width() - kTextLeft - kSizeWidth - kBarWidth - 16, r.height() - 12);
    QFont labelFont = option.font;
    labelFont.setPointSizeF(labelFont.pointSizeF() * 1.1);
    labelFont.setWeight(QFont::DemiBold);
    painter->setFont(labelFont);
    painter->setPen(selected ? kSelectedText : kText);
    const QFontMetrics labelMetrics(labelFont);
    const QRect labelRect(textArea.left(), textArea.top(), textArea.width(), textArea.height() / 2);
    painter->drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter,
                      labelMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                              Qt::ElideRight, labelRect.width()));

    QFont smallFont = option.font;
    smallFont.setPointSizeF(smallFont.pointSizeF() * 0.9);
    painter->setFont(smallFont);
    painter->setPen(kText.lighter(150));
    const QFontMetrics smallMetrics(smallFont);
    const QRect pathRect(textArea.left(), labelRect.bottom() + 1, textArea.width(),
                         textArea.height() / 2);
    painter->drawText(pathRect, Qt::AlignLeft | Qt::AlignVCenter,
                      smallMetrics.elidedText(index.data(ExtensionListModel::PathRole).toString(),
                                              Qt::ElideMiddle, pathRect.width()));

    painter->setFont(option.font);
    painter->setPen(kText);
    const QRect sizeRect(r.right() - kSizeWidth - kBarWidth - 12, r.top(), kSizeWidth, r.height());
    painter->drawText(sizeRect, Qt::AlignRight | Qt::AlignVCenter,
                      index.data(ExtensionListModel::SizeRole).toString());

    painter->fillRect(QRect(r.left() + kTextLeft, r.bottom(), r.width() - kTextLeft, 1),
                      kSeparator);
    if (selected) {
        QLinearGradient bar(0, r.top(), 0, r.bottom());
        bar.setColorAt(0, QColor(0, 89, 228));
        bar.setColorAt(1, QColor(0, 148, 239));
        painter->fillRect(QRect(r.right() - kBarWidth + 1, r.top(), kBarWidth, r.height()), bar);
    }
    painter->restore();
}

QSize PluginsTableCellDelegate::sizeHint(const QStyleOptionViewItem &option,
                                         const QModelIndex &) const {
    return QSize(option.rect.width() > 0 ? option.rect.width() : 400, kRowHeight);
}

} // namespace zembra
