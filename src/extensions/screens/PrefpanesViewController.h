#pragma once
// The preference pane list ("PrefPanes"): the panes of the home Library and, with the
// whole-disk grant, of the system Library. A pane is removed like an application:
// selecting it makes it the shared item, and the remove button opens the leftover review.
// Made afresh on every visit. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class PrefpanesViewController;
}

namespace zembra {

class AppDelegate;
class ExtensionListModel;

class PrefpanesViewController : public QWidget {
    Q_OBJECT
public:
    explicit PrefpanesViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~PrefpanesViewController() override;

    void back_to_extensions();
    void removePrefPane();
    void show_in_finder();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidAppear();
    void tableViewSelectionDidChange();

    AppDelegate &m_appDelegate;
    std::unique_ptr<Ui::PrefpanesViewController> m_ui;
    ExtensionListModel *m_model;
    bool m_appeared = false;
};

} // namespace zembra
