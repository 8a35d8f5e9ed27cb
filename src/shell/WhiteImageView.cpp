#include "shell/WhiteImageView.h"

#include <QMouseEvent>
#include <QWindow>

namespace zembra {

WhiteImageView::WhiteImageView(QWidget *parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

void WhiteImageView::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

} // namespace zembra
