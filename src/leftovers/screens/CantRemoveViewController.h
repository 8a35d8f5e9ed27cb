#pragma once
// The popover over the outcome screen when the removal left entries behind; its button
// shows every one of them in the file manager. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class CantRemoveViewController;
}

namespace zembra {

class AppDelegate;

class CantRemoveViewController : public QWidget {
    Q_OBJECT
public:
    explicit CantRemoveViewController(AppDelegate &app, QWidget *parent = nullptr);
    ~CantRemoveViewController() override;

    void show_in_finder();

private:
    std::unique_ptr<Ui::CantRemoveViewController> ui;
    AppDelegate &m_app;
};

} // namespace zembra
