#pragma once
// The access screen ("Sandbox"): asks for the Applications folder and the home folder
// through the open panel. A button is disabled once its grant is in place; the screen
// closes itself when the second of the two becomes valid through its own button. A
// wrongly chosen folder is stored and leaves its button enabled. Its quit button ends
// the process at once. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class SandboxViewController;
}

namespace zembra {

class AppDelegate;

class SandboxViewController : public QWidget {
    Q_OBJECT
public:
    explicit SandboxViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~SandboxViewController() override;

private:
    void viewDidLoad();
    void allowApplication();
    void allowHome();
    void exit();

    std::unique_ptr<Ui::SandboxViewController> ui;
    AppDelegate &m_delegate;
};

} // namespace zembra
