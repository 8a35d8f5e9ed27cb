#pragma once
// Draws the review table's rows: group rows as a small grey title without background,
// file rows with check box, icon and name (with a second line for a row's note, and a
// badge on the icon of a row another application uses too), folder, size and a reveal
// button, and no selection colour (a selected file row looks unselected; the keyboard
// focus shows as a thin frame). Also turns clicks on the check box and Space into check-state
// changes and a click on the reveal button into `revealRequested`. Owned by the table view.

#include <QStyledItemDelegate>

namespace zembra {

class RemainderRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit RemainderRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the check box of a name cell in `cell` lies.
    static QRect checkRect(const QRect &cell);
    // Where the reveal button of a reveal cell lies.
    static QRect revealRect(const QRect &cell);

signals:
    void revealRequested(const QModelIndex &index);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    void paintGroup(QPainter *painter, const QStyleOptionViewItem &option,
                    const QModelIndex &index) const;
    void paintFile(QPainter *painter, const QStyleOptionViewItem &option,
                   const QModelIndex &index) const;
};

} // namespace zembra
