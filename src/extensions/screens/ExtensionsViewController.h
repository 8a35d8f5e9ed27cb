#pragma once
// The extensions hub ("Extensions"): the roads to the plug-in, preference pane and
// Safari extension lists, and back home. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class ExtensionsViewController;
}

namespace zembra {

class AppDelegate;

class ExtensionsViewController : public QWidget {
    Q_OBJECT
public:
    explicit ExtensionsViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~ExtensionsViewController() override;

    void plugins();
    void preference_panes();
    void sfari_extensions();
    void back_to_home_viewcontroller();

private:
    std::unique_ptr<Ui::ExtensionsViewController> m_ui;
};

} // namespace zembra
