#pragma once
// The sheet shown over an empty applications list ("Installedapps"): why the list is
// empty and what to do about it. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class InstalledappsViewController;
}

namespace zembra {

class InstalledappsViewController : public QWidget {
    Q_OBJECT
public:
    explicit InstalledappsViewController(QWidget *parent = nullptr);
    ~InstalledappsViewController() override;

private:
    std::unique_ptr<Ui::InstalledappsViewController> ui;
};

} // namespace zembra
