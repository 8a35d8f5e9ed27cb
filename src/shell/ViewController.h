#pragma once
// The main window's content: one screen at a time in `containerView`, switched when a
// screen posts one of the nine screen names. Each switch makes the screen afresh from
// the delegate's registry, so every visit reloads its data; the screen it replaces is
// released once control has returned to the event loop, since it may be the one whose
// slot posted the name. Before the window first appears it checks the Applications and
// home grants and presents the access sheet when either is not in place; Ctrl+Alt+U
// (Command-Option-U on macOS) presents the whole-disk sheet. GUI thread only.

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class ViewController;
}

namespace zembra {

class AppDelegate;

class ViewController : public QWidget {
    Q_OBJECT
public:
    explicit ViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~ViewController() override;

    // The screen shown now (`viewcontrollerC`); null before the first switch.
    QWidget *viewcontrollerC() const { return m_current; }
    // The access sheet's content while it is presented.
    QWidget *viewcontrollerS() const { return m_sandbox; }
    // The identifier of the screen shown now.
    QString currentIdentifier() const { return m_currentIdentifier; }

    void home_view_controller();
    void applications_view_controller();
    void remainder_view_controller();
    void remove_view_controller();
    void extensions_view_controller();
    void plugins_view_controller();
    void prefpanes_view_controller();
    void safari_extensions_view_controller();
    void removed_applications_view_controller();

    // The shortcut's action: the whole-disk screen as a sheet.
    void presentOptionalPreferences();

signals:
    // A screen was made and shown, by its identifier.
    void screenShown(const QString &identifier);

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void viewWillAppear();
    void switchTo(const QString &identifier);

    std::unique_ptr<Ui::ViewController> ui;
    AppDelegate &m_delegate;
    QPointer<QWidget> m_current;
    QString m_currentIdentifier;
    QPointer<QWidget> m_sandbox;
    QPointer<QWidget> m_wholeDisk;
    bool m_appeared = false;
};

} // namespace zembra
