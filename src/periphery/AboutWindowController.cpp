#include "periphery/AboutWindowController.h"

#include "periphery/AboutViewController.h"

#include <QAction>
#include <QPointer>
#include <QVBoxLayout>

namespace zembra {

AboutWindowController::AboutWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), m_content(new AboutViewController(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    windowDidLoad();
}

void AboutWindowController::windowDidLoad() {
    setObjectName(QStringLiteral("AboutWindow"));
    // The title stays for the window manager and screen readers; the content is white to
    // the edges and dragging its background moves the window, as far as the platform's
    // frame allows.
    setWindowTitle(tr("About Uninstaller zembra"));
    setAccessibleName(windowTitle());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}

void AboutWindowController::showWindow() {
    show();
    raise();
    activateWindow();
}

QAction *makeShowAboutAction(QWidget *owner) {
    auto *action = new QAction(QObject::tr("About Uninstaller zembra"), owner);
    action->setObjectName(QStringLiteral("showAbout"));
    action->setMenuRole(QAction::AboutRole);
    QObject::connect(action, &QAction::triggered, owner,
                     [owner, window = QPointer<AboutWindowController>()]() mutable {
                         if (!window)
                             window = new AboutWindowController(owner);
                         window->showWindow();
                     });
    return action;
}

} // namespace zembra
