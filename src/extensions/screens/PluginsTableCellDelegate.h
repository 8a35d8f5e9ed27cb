#pragma once
// Draws one row of an extension list: the icon, the label (blue when selected, grey
// otherwise), the folder that holds the item below it, the size at the right, a
// separator clear of the icon column and, on the selected row, a narrow blue bar at the
// row's right-hand end. Paints only what the model holds: a size not yet computed is
// left blank, never computed here. GUI thread only.

#include <QStyledItemDelegate>

namespace zembra {

class PluginsTableCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int kRowHeight = 52;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace zembra
