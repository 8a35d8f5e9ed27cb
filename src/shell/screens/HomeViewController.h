#pragma once
// The home screen ("Home"): the ways to the applications list, the extensions hub and the
// applications removed without Uninstaller zembra, and the drop target for an application
// bundle. Posts "applications_view_controller", "extensions_view_controller" or
// "removed_applications_view_controller"; nothing else. GUI thread only.

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
    void removed_applications();

    std::unique_ptr<Ui::HomeViewController> ui;
};

} // namespace zembra
