#pragma once
// How a row of the applications list is drawn: 52 points high, the icon in the first
// 72 points, the name grey, or blue when the row is selected; the selection is a 6-point
// blue gradient bar at x 343 (the row's right-hand end) and nothing else; a 1-point
// separator along the bottom from x 72, clear of the icon column. GUI thread only.

#include <QStyledItemDelegate>

namespace zembra {

class ApplicationsRowView : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 52;
    static constexpr int kRowWidth = 349;
    static constexpr int kIconColumn = 72;
    static constexpr int kBarX = 343;
    static constexpr int kBarWidth = 6;
    static const QColor kTextColor;
    static const QColor kSelectedTextColor;
    static const QColor kSeparatorColor;
    static const QColor kBarTop;
    static const QColor kBarBottom;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace zembra
