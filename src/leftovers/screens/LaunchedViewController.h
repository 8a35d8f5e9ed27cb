#pragma once
// The notice shown as a sheet over the review when the application to remove is running:
// the item's icon and label. Nothing was deleted. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class LaunchedViewController;
}

namespace zembra {

class AppDelegate;

class LaunchedViewController : public QWidget {
    Q_OBJECT
public:
    explicit LaunchedViewController(AppDelegate &app, QWidget *parent = nullptr);
    ~LaunchedViewController() override;

private:
    std::unique_ptr<Ui::LaunchedViewController> ui;
};

} // namespace zembra
