#pragma once
// The single main window: a fixed size that holds every screen, a white background that
// drags the window, a menu with Quit (Ctrl+Q) bound to the delegate's terminateApp, and
// the rule that closing it quits the application (while a removal runs, both ask first).
// Its content is the `ViewController`.
// GUI thread only.

#include <QMainWindow>

class QAction;
class QMenu;

namespace zembra {

class AppDelegate;
class ViewController;

class WindowController : public QMainWindow {
    Q_OBJECT
public:
    // The content area's size: the outcome popovers reach x 570 and y 188 of a screen,
    // the applications list and its side column fit beside each other.
    static constexpr QSize kContentSize{600, 420};

    explicit WindowController(AppDelegate &delegate, QWidget *parent = nullptr);

    ViewController *viewController() const { return m_viewController; }
    // Adds `action` to the application menu, above Quit, with its shortcut working in
    // every window of the application.
    void addApplicationAction(QAction *action);
    // Shows the window, restored if minimised, above the others and active, as a later
    // launch of the program asks.
    void bringForward();

signals:
    void broughtForward();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void windowDidLoad();

    AppDelegate &m_delegate;
    ViewController *m_viewController;
    QMenu *m_menu = nullptr;
    QAction *m_quit = nullptr;
};

} // namespace zembra
