#pragma once
// The applications list ("Applications"): the installed applications, read afresh each
// time the screen is made, narrowed by the search field; selecting a row makes it the
// shared item at once, so a later filter cannot change what the next button hands on.
// When nothing is installed the "Installedapps" sheet explains why. GUI thread only.

#include "catalogue/Application.h"

#include <QWidget>

#include <memory>

namespace Ui {
class ApplicationsViewController;
}

namespace zembra {

class AppDelegate;
class ApplicationsModel;

class ApplicationsViewController : public QWidget {
    Q_OBJECT
public:
    explicit ApplicationsViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~ApplicationsViewController() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidLoad();
    void viewDidAppear();
    void controlTextDidChange(const QString &text);
    void tableViewSelectionDidChange();
    void home_back();
    void remainder_next();

    std::unique_ptr<Ui::ApplicationsViewController> ui;
    AppDelegate &m_appDelegate;
    Application m_application;
    ApplicationsModel *m_model;
    bool m_appeared = false;
};

} // namespace zembra
