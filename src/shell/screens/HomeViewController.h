#pragma once
// The home screen ("Home"): the ways to the applications list and the extensions hub,
// and the drop target for an application bundle. Posts "applications_view_controller" or
// "extensions_view_controller"; nothing else. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class HomeViewController;
}

namespace zembra {

class HomeViewController : public QWidget {
    Q_OBJECT
public:
    explicit HomeViewController(QWidget *parent = nullptr);
    ~HomeViewController() override;

private:
    void applications();
    void Extensions();

    std::unique_ptr<Ui::HomeViewController> ui;
};

} // namespace zembra
