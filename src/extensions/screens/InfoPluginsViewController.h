#pragma once
// The hint popover "MorePlugins" (what the whole-disk grant would add to the list), with a
// link to the product's web page about it. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class MorePlugins;
}

namespace zembra {

class InfoPluginsViewController : public QWidget {
    Q_OBJECT
public:
    explicit InfoPluginsViewController(QWidget *parent = nullptr);
    ~InfoPluginsViewController() override;

    // Opens the product's web page in the default browser.
    void visit();

private:
    std::unique_ptr<Ui::MorePlugins> m_ui;
};

} // namespace zembra
