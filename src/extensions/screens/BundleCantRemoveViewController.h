#pragma once
// The popover shown at a list's remove button when a removal left the item itself in
// place ("BundleCantRemove"); its button reveals what remained. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class BundleCantRemove;
}

namespace zembra {

class AppDelegate;

class BundleCantRemoveViewController : public QWidget {
    Q_OBJECT
public:
    explicit BundleCantRemoveViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~BundleCantRemoveViewController() override;

    // Opens the file viewer with what the last removal left selected.
    void show_in_finder();

private:
    AppDelegate &m_appDelegate;
    std::unique_ptr<Ui::BundleCantRemove> m_ui;
};

} // namespace zembra
