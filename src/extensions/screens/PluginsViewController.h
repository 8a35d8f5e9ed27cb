#pragma once
// The plug-in list ("Plugins"): the Address Book plug-ins of the home Library and, with
// the whole-disk grant, the Spotlight, Quick Look and Internet plug-ins of the system
// Library, each with the folder that holds it and its size; a search by label; a removal
// without review, after a confirmation of what it will delete. Made afresh on every
// visit. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class PluginsViewController;
}

namespace zembra {

class AppDelegate;
class ExtensionListModel;
class ExtensionRemovalFlow;

class PluginsViewController : public QWidget {
    Q_OBJECT
public:
    explicit PluginsViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~PluginsViewController() override;

    ExtensionRemovalFlow &removalFlow() const { return *m_flow; }

    void back_to_extensions();
    void remove_plugin();
    void show_in_finder();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidAppear();
    void tableViewSelectionDidChange();
    void controlTextDidChange(const QString &text);

    AppDelegate &m_appDelegate;
    std::unique_ptr<Ui::PluginsViewController> m_ui;
    ExtensionListModel *m_model;
    ExtensionRemovalFlow *m_flow;
    bool m_appeared = false;
};

} // namespace zembra
