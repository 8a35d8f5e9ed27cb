#include "leftovers/screens/RemainderRowDelegate.h"

#include "leftovers/screens/LeftoverTableModel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zembra {

namespace {
constexpr int kCheckSize = 16;
constexpr int kIconSize = 32;
constexpr int kRevealSize = 18;
constexpr int kBadgeSize = 14;
const QColor kFlagColour(214, 122, 0);
const QColor kFlagText(160, 88, 0);
const QColor kRelatedText(80, 100, 135);

// Drawn here rather than by the style: a style sheet on the window or the table would
// otherwise turn the style's indicator into a plain square.
void paintCheckBox(QPainter *p, const QRect &box, bool on, const QColor &accent) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    if (on) {
        p->setPen(Qt::NoPen);
        p->setBrush(accent);
        p->drawRoundedRect(r, 3.5, 3.5);
        QPen tick(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p->setPen(tick);
        p->setBrush(Qt::NoBrush);
        const QPointF o = r.topLeft();
        const double w = r.width();
        p->drawPolyline(QPolygonF{o + QPointF(w * 0.24, w * 0.52), o + QPointF(w * 0.43, w * 0.70),
                                  o + QPointF(w * 0.76, w * 0.32)});
    } else {
        p->setPen(QPen(QColor(150, 150, 156), 1.0));
        p->setBrush(Qt::white);
        p->drawRoundedRect(r, 3.5, 3.5);
    }
    p->restore();
}

// The mark of a row another application uses too: a small amber disc with two linked
// rings, on the lower right corner of the entry's icon.
void paintSharedBadge(QPainter *p, const QRect &icon) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const QRectF disc(icon.right() - kBadgeSize + 3, icon.bottom() - kBadgeSize + 3, kBadgeSize,
                      kBadgeSize);
    p->setPen(QPen(Qt::white, 1.5));
    p->setBrush(kFlagColour);
    p->drawEllipse(disc);
    p->setPen(QPen(Qt::white, 1.3));
    p->setBrush(Qt::NoBrush);
    const double r = kBadgeSize * 0.2;
    const QPointF c = disc.center();
    p->drawEllipse(c + QPointF(-r * 0.7, 0), r, r);
    p->drawEllipse(c + QPointF(r * 0.7, 0), r, r);
    p->restore();
}

void toggle(QAbstractItemModel *model, const QModelIndex &index) {
    const QModelIndex name = index.siblingAtColumn(LeftoverTableModel::NameColumn);
    if (!(model->flags(name) & Qt::ItemIsUserCheckable))
        return;
    const bool on = name.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    model->setData(name, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
} // namespace

RemainderRowDelegate::RemainderRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QRect RemainderRowDelegate::checkRect(const QRect &cell) {
    return QRect(cell.left() + 6, cell.center().y() - kCheckSize / 2 + 1, kCheckSize, kCheckSize);
}

QRect RemainderRowDelegate::revealRect(const QRect &cell) {
    return QRect(cell.center().x() - kRevealSize / 2 - 4, cell.center().y() - kRevealSize / 2 - 4,
                 kRevealSize + 8, kRevealSize + 8);
}

QSize RemainderRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
    return QSize(120, index.data(LeftoverTableModel::GroupRowRole).toBool() ? 20 : 40);
}

void RemainderRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const {
    painter->save();
    painter->setClipRect(option.rect);
    if (index.data(LeftoverTableModel::GroupRowRole).toBool())
        paintGroup(painter, option, index);
    else
        paintFile(painter, option, index);
    painter->restore();
}

void RemainderRowDelegate::paintGroup(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const {
    if (index.column() != LeftoverTableModel::NameColumn)
        return;
    QFont f = option.font;
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 0.9);
    painter->setFont(f);
    painter->setPen(QColor(110, 110, 115));
    painter->drawText(option.rect.adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
}

void RemainderRowDelegate::paintFile(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const {
    const QRect r = option.rect;
    painter->setFont(option.font);
    const QFontMetrics fm(option.font);

    switch (index.column()) {
    case LeftoverTableModel::NameColumn: {
        const QVariant check = index.data(Qt::CheckStateRole);
        if (check.isValid())
            paintCheckBox(painter, checkRect(r), check.value<Qt::CheckState>() == Qt::Checked,
                          option.palette.color(QPalette::Highlight));
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        const QRect iconRect(r.left() + 30, r.center().y() - kIconSize / 2 + 1, kIconSize,
                             kIconSize);
        if (!icon.isNull())
            icon.paint(painter, iconRect);
        if (index.data(LeftoverTableModel::FlaggedRole).toBool())
            paintSharedBadge(painter, iconRect);
        const QRect text(iconRect.right() + 8, r.top(), r.right() - iconRect.right() - 12,
                         r.height());
        const QString name =
            fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, text.width());
        const QString note = index.data(LeftoverTableModel::NoteRole).toString();
        painter->setPen(option.palette.color(QPalette::Text));
        if (note.isEmpty()) {
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, name);
            break;
        }
        // Two lines: the name, and below it why the row starts unticked.
        QFont small = option.font;
        small.setPointSizeF(small.pointSizeF() * 0.85);
        const QFontMetrics sfm(small);
        const int top = r.center().y() - (fm.height() + sfm.height()) / 2 + 1;
        painter->drawText(QRect(text.left(), top, text.width(), fm.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, name);
        painter->setFont(small);
        painter->setPen(index.data(LeftoverTableModel::FlaggedRole).toBool() ? kFlagText
                                                                             : kRelatedText);
        painter->drawText(QRect(text.left(), top + fm.height(), text.width(), sfm.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          sfm.elidedText(note, Qt::ElideRight, text.width()));
        painter->setFont(option.font);
        break;
    }
    case LeftoverTableModel::FolderColumn:
    case LeftoverTableModel::SizeColumn: {
        const QRect text = r.adjusted(6, 0, -8, 0);
        painter->setPen(QColor(120, 120, 126));
        const bool right = index.column() == LeftoverTableModel::SizeColumn;
        painter->drawText(
            text, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
            fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, text.width()));
        break;
    }
    case LeftoverTableModel::RevealColumn: {
        const QRect button = revealRect(r);
        if (option.state & QStyle::State_MouseOver) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0, 0, 0, 24));
            painter->drawRoundedRect(button, 4, 4);
        }
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        icon.paint(painter, button.adjusted(4, 4, -4, -4));
        break;
    }
    default:
        break;
    }
    // No selection colour; the keyboard focus gets a thin frame so it can be followed, but
    // only when the keyboard moved it there: a clicked row looks as it did.
    if ((option.state & QStyle::State_HasFocus) &&
        (option.state & QStyle::State_KeyboardFocusChange)) {
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
}

bool RemainderRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                       const QStyleOptionViewItem &option,
                                       const QModelIndex &index) {
    if (index.data(LeftoverTableModel::GroupRowRole).toBool())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Swallow presses on the controls so a double click does not also reveal the row.
        const auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        const QPoint pos = me->position().toPoint();
        return (index.column() == LeftoverTableModel::NameColumn &&
                checkRect(option.rect).contains(pos)) ||
               (index.column() == LeftoverTableModel::RevealColumn &&
                revealRect(option.rect).contains(pos));
    }
    case QEvent::MouseButtonRelease: {
        const auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        const QPoint pos = me->position().toPoint();
        if (index.column() == LeftoverTableModel::NameColumn &&
            checkRect(option.rect).contains(pos)) {
            toggle(model, index);
            return true;
        }
        if (index.column() == LeftoverTableModel::RevealColumn &&
            revealRect(option.rect).contains(pos)) {
            emit revealRequested(index);
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select) {
            toggle(model, index);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace zembra
