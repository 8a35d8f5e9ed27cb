#pragma once
// The outcome of a removal: the item's icon and label, what became of its bundle (removed,
// kept, or still there), the bytes freed, and how many entries went, could not be removed
// or were not reached because the removal was stopped. When it
// appears it counts the removal and offers, by the first rule that applies: the popover
// that reveals what was left behind, the rating popover at every tenth removal, or the
// rating sheet at every tenth launch (no prompt once the user has rated).
// GUI thread only.

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class RemoveViewController;
}

namespace zembra {

class AppDelegate;

class RemoveViewController : public QWidget {
    Q_OBJECT
public:
    explicit RemoveViewController(AppDelegate &app, QWidget *parent = nullptr);
    ~RemoveViewController() override;

    // The actions.
    void back_applications();
    void back_home();
    void close_rate_app();

    // The popover shown now, if any.
    QWidget *popover() const { return m_popover; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidAppear();
    void describeOutcome();

    std::unique_ptr<Ui::RemoveViewController> ui;
    AppDelegate &m_app;
    QPointer<QWidget> m_popover;
    bool m_appeared = false;
};

} // namespace zembra
