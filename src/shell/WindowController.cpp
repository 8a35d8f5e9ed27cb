#include "shell/WindowController.h"

#include "shell/AppDelegate.h"
#include "shell/ViewController.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

namespace zembra {

WindowController::WindowController(AppDelegate &delegate, QWidget *parent)
    : QMainWindow(parent), m_delegate(delegate),
      m_viewController(new ViewController(delegate, this)) {
    setCentralWidget(m_viewController);
    m_viewController->setFixedSize(kContentSize);

    menuBar()->setAccessibleName(tr("Menu bar"));
    m_menu = menuBar()->addMenu(tr("&Uninstaller zembra"));
    m_menu->setAccessibleName(tr("Uninstaller zembra menu"));
    QAction *quit = m_quit = m_menu->addAction(tr("&Quit Uninstaller zembra"));
    // Ctrl+Q (Command-Q on macOS) whatever key scheme the platform's theme follows: the
    // standard Quit key is empty under some of them.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, [this] { m_delegate.terminateApp(); });
    // The window's own shortcut also works while a sheet has the focus.
    addAction(quit);

    windowDidLoad();
}

void WindowController::addApplicationAction(QAction *action) {
    action->setShortcutContext(Qt::ApplicationShortcut);
    m_menu->insertAction(m_quit, action);
    addAction(action);
}

void WindowController::bringForward() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    emit broughtForward();
}

void WindowController::windowDidLoad() {
    setWindowTitle(tr("Uninstaller zembra"));
    // Where the frame cannot be made transparent the platform's frame stays; the
    // content is white and dragging its background moves the window.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void WindowController::closeEvent(QCloseEvent *event) {
    // A removal under way is not hidden: the window stays and asks what to do.
    if (m_delegate.askQuitGuard()) {
        event->ignore();
        return;
    }
    event->accept();
    // The application ends with its main window, whatever sheet was still open.
    QCoreApplication::quit();
}

} // namespace zembra
