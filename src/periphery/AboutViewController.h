#pragma once
// The About window's content: the application's name, version and maker, and three
// links: the store page of the maker's other application (Pelloria), the acknowledgements
// document and the product's web page. All of them go through the workspace's openURL.
// GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class AboutViewController;
}

namespace zembra {

class AboutViewController : public QWidget {
    Q_OBJECT
public:
    explicit AboutViewController(QWidget *parent = nullptr);
    ~AboutViewController() override;

    // The buttons' actions.
    void pelloria();
    void Acknowledgements();
    void HomePage();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    std::unique_ptr<Ui::AboutViewController> ui;
};

} // namespace zembra
