#include "shell/Presentation.h"

#include <QAction>
#include <QCloseEvent>
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
const char *kPopover = "zembraPopover";

// A sheet's window. A lasting sheet ignores Escape and the close control until its
// content dismisses it.
class SheetDialog : public QDialog {
public:
    SheetDialog(QWidget *parent, bool lasting) : QDialog(parent, Qt::Sheet), m_lasting(lasting) {}
    void reject() override {
        if (!m_lasting || m_dismissed)
            QDialog::reject();
    }
    void dismissNow() {
        m_dismissed = true;
        close();
    }

protected:
    void closeEvent(QCloseEvent *event) override {
        if (m_lasting && !m_dismissed)
            event->ignore();
        else
            QDialog::closeEvent(event);
    }

private:
    bool m_lasting;
    bool m_dismissed = false;
};

// A popover's window: closes on Escape and once it has lost the focus to another window.
class PopoverWindow : public QDialog {
public:
    explicit PopoverWindow(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
        setProperty(kPopover, true);
    }

protected:
    void changeEvent(QEvent *event) override {
        QDialog::changeEvent(event);
        if (event->type() != QEvent::ActivationChange)
            return;
        if (isActiveWindow())
            m_wasActive = true;
        else if (m_wasActive && isVisible())
            close();
    }

private:
    bool m_wasActive = false;
};

// The main window's application-wide shortcuts, carried by `scene` too: a window-modal
// sheet blocks the window, and with it every shortcut the window carries.
void carryApplicationShortcuts(QWidget *window, QWidget *scene) {
    if (!window)
        return;
    for (QAction *action : window->findChildren<QAction *>())
        if (action->shortcutContext() == Qt::ApplicationShortcut && !action->shortcut().isEmpty())
            scene->addAction(action);
}

QString sceneTitle(const QWidget *content) {
    return !content->windowTitle().isEmpty() ? content->windowTitle() : content->accessibleName();
}

QDialog *showSheet(SheetDialog *dialog, QWidget *content, QWidget *window, bool withCloseButton) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(sceneTitle(content));
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(content);
    if (withCloseButton) {
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        buttons->button(QDialogButtonBox::Close)->setAccessibleName(QObject::tr("Close"));
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        layout->addWidget(buttons);
    }
    content->setProperty(kSceneHost, QVariant::fromValue<QObject *>(dialog));
    carryApplicationShortcuts(window, dialog);
    dialog->open();
    focusFirstControl(content);
    return dialog;
}
} // namespace

QDialog *presentAsSheet(QWidget *content, QWidget *over, bool withCloseButton) {
    QWidget *window = over ? over->window() : nullptr;
    return showSheet(new SheetDialog(window, false), content, window, withCloseButton);
}

QDialog *presentAsLastingSheet(QWidget *content, QWidget *over) {
    QWidget *window = over ? over->window() : nullptr;
    return showSheet(new SheetDialog(window, true), content, window, false);
}

QRect fromAppKit(const QRectF &r, int viewHeight) {
    const double top = viewHeight - (r.y() + r.height());
    return QRect(int(std::lround(r.x())), int(std::lround(top)), int(std::lround(r.width())),
                 int(std::lround(r.height())));
}

QWidget *showPopover(QWidget *content, QWidget *view, const QRectF &appKitRect) {
    auto *popup = new PopoverWindow(view ? view->window() : nullptr);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setWindowTitle(sceneTitle(content));
    auto *frame = new QFrame(popup);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *outer = new QVBoxLayout(popup);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(content);
    content->setProperty(kSceneHost, QVariant::fromValue<QObject *>(popup));
    carryApplicationShortcuts(view ? view->window() : nullptr, popup);
    popup->adjustSize();

    // Above the rectangle, centred on it (NSMaxYEdge: the upper edge in AppKit terms).
    const QRect anchor = view ? fromAppKit(appKitRect, view->height()) : QRect();
    const QPoint topCentre =
        view ? view->mapToGlobal(QPoint(anchor.center().x(), anchor.top())) : QPoint();
    QPoint pos(topCentre.x() - popup->width() / 2, topCentre.y() - popup->height());
    // Inside the window where it fits, as a popover stays over its window.
    if (QWidget *window = view ? view->window() : nullptr) {
        const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
        if (popup->width() <= frame.width())
            pos.setX(std::clamp(pos.x(), frame.left(), frame.right() + 1 - popup->width()));
    }
    if (QScreen *screen = view ? view->screen() : QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        pos.setX(std::clamp(pos.x(), avail.left(),
                            std::max(avail.left(), avail.right() - popup->width())));
        if (pos.y() < avail.top()) // no room above: below the rectangle instead
            pos.setY(view ? view->mapToGlobal(QPoint(0, anchor.bottom())).y() : avail.top());
    }
    popup->move(pos);
    popup->show();
    popup->raise();
    popup->activateWindow();
    focusFirstControl(content);
    return popup;
}

void dismiss(QWidget *content) {
    if (!content)
        return;
    QObject *host = content->property(kSceneHost).value<QObject *>();
    if (auto *sheet = dynamic_cast<SheetDialog *>(host))
        sheet->dismissNow();
    else if (auto *window = qobject_cast<QWidget *>(host))
        window->close();
}

bool isPopover(const QWidget *window) {
    return window && window->property(kPopover).toBool();
}

void focusFirstControl(QWidget *screen) {
    if (!screen)
        return;
    if (QWidget *proxy = screen->focusProxy()) {
        proxy->setFocus(Qt::TabFocusReason);
        return;
    }
    // The focus chain runs in Tab order through every widget of the window.
    for (QWidget *w = screen->nextInFocusChain(); w && w != screen; w = w->nextInFocusChain()) {
        if (!screen->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(screen) && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace zembra
