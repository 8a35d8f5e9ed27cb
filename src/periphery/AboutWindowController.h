#pragma once
// The About window: a small window of its own, made once when the menu's About action is
// first used and raised again on later uses; its content is the `AboutViewController`.
// Closing it only hides it. GUI thread only.

#include <QWidget>

class QAction;

namespace zembra {

class AboutViewController;

class AboutWindowController : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindowController(QWidget *parent = nullptr);

    AboutViewController *contentViewController() const { return m_content; }
    // Shows the window and brings it to the front.
    void showWindow();

private:
    void windowDidLoad();

    AboutViewController *m_content;
};

// The application menu's "About Uninstaller zembra" action: shows the About window,
// made on first use as a window owned by `owner` (the main window).
QAction *makeShowAboutAction(QWidget *owner);

} // namespace zembra
