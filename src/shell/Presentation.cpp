#include "shell/Presentation.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>

namespace zembra {

namespace {
const char *kSceneHost = "zembraSceneHost";
}

QDialog *presentAsSheet(QWidget *content, QWidget *over, bool withCloseButton)
{
    QWidget *window = over ? over->window() : nullptr;
    auto *dialog = new QDialog(window, Qt::Sheet);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(content->windowTitle());
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(content);
    if (withCloseButton) {
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        buttons->button(QDialogButtonBox::Close)->setAccessibleName(QObject::tr("Close"));
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        layout->addWidget(buttons);
    }
    content->setProperty(kSceneHost, QVariant::fromValue<QObject *>(dialog));
    dialog->open();
    return dialog;
}

QRect fromAppKit(const QRectF &r, int viewHeight)
{
    const double top = viewHeight - (r.y() + r.height());
    return QRect(int(std::lround(r.x())), int(std::lround(top)), int(std::lround(r.width())),
                 int(std::lround(r.height())));
}

QWidget *showPopover(QWidget *content, QWidget *view, const QRectF &appKitRect)
{
    auto *popup = new QFrame(view ? view->window() : nullptr, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(popup);
    layout->addWidget(content);
    content->setProperty(kSceneHost, QVariant::fromValue<QObject *>(popup));
    popup->adjustSize();

    // Above the rectangle, centred on it (NSMaxYEdge: the upper edge in AppKit terms).
    const QRect anchor = view ? fromAppKit(appKitRect, view->height()) : QRect();
    const QPoint topCentre = view ? view->mapToGlobal(QPoint(anchor.center().x(), anchor.top())) : QPoint();
    QPoint pos(topCentre.x() - popup->width() / 2, topCentre.y() - popup->height());
    // Inside the window where it fits, as a popover stays over its window.
    if (QWidget *window = view ? view->window() : nullptr) {
        const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
        if (popup->width() <= frame.width())
            pos.setX(std::clamp(pos.x(), frame.left(), frame.right() + 1 - popup->width()));
    }
    if (QScreen *screen = view ? view->screen() : QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() - popup->width())));
        if (pos.y() < avail.top()) // no room above: below the rectangle instead
            pos.setY(view ? view->mapToGlobal(QPoint(0, anchor.bottom())).y() : avail.top());
    }
    popup->move(pos);
    popup->show();
    return popup;
}

void dismiss(QWidget *content)
{
    if (!content)
        return;
    if (auto *host = qobject_cast<QWidget *>(content->property(kSceneHost).value<QObject *>()))
        host->close();
}

} // namespace zembra
