#include "shell/ScreenKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

#include <utility>

namespace zembra {

namespace {

void pressWith(QWidget *screen, const QKeySequence &keys, QAbstractButton *button) {
    auto *shortcut = new QShortcut(keys, screen);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, screen,
                     [target = QPointer<QAbstractButton>(button)] {
                         if (target && target->isEnabled() && target->isVisible())
                             target->click();
                     });
}

// The next control of `screen` in Tab order after (or before) the one with the focus.
void moveFocus(QWidget *screen, bool forward) {
    QWidget *from = QApplication::focusWidget();
    if (!from || !screen->isAncestorOf(from))
        return;
    for (QWidget *w = forward ? from->nextInFocusChain() : from->previousInFocusChain();
         w && w != from; w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (screen->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

} // namespace

void bindScreenKeys(QWidget *screen, QAbstractButton *defaultButton, QAbstractButton *backButton) {
    if (defaultButton) {
        pressWith(screen, QKeySequence(Qt::Key_Return), defaultButton);
        pressWith(screen, QKeySequence(Qt::Key_Enter), defaultButton);
    }
    if (backButton)
        pressWith(screen, QKeySequence(Qt::Key_Escape), backButton);
    const std::pair<QKeySequence, bool> moves[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), true},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), false},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), false}, // how X11 reports Shift+Tab
    };
    for (const auto &[keys, forward] : moves) {
        auto *shortcut = new QShortcut(keys, screen);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, screen,
                         [screen, forward = forward] { moveFocus(screen, forward); });
    }
}

} // namespace zembra
