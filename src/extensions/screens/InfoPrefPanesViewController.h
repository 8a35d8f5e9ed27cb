#pragma once
// The hint popover "MorePrefpanes" (what the whole-disk grant would add to the list), with a
// link to the product's web page about it. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class MorePrefpanes;
}

namespace zembra {

class InfoPrefPanesViewController : public QWidget {
    Q_OBJECT
public:
    explicit InfoPrefPanesViewController(QWidget *parent = nullptr);
    ~InfoPrefPanesViewController() override;

    // Opens the product's web page in the default browser.
    void visit();

private:
    std::unique_ptr<Ui::MorePrefpanes> m_ui;
};

} // namespace zembra
