#pragma once
// The Safari extension list ("SafariExtensions"): the entries of Safari's own list of
// installed extensions, each with its archive's folder and size; a removal without review
// after a confirmation of what it will delete, refused with the "LaunchedSafariExtensions"
// notice while Safari runs. Made afresh on every visit. GUI thread only.

#include "platform/RunningApplications.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class SafariExtensionsViewController;
}

namespace zembra {

class AppDelegate;
class ExtensionListModel;
class ExtensionRemovalFlow;

// Safari runs when any process's bundle identifier contains "com.apple.Safari"
// (case-sensitive; Safari Technology Preview counts).
bool isSafariRunning(const std::vector<platform::RunningApplication> &running);

class SafariExtensionsViewController : public QWidget {
    Q_OBJECT
public:
    explicit SafariExtensionsViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~SafariExtensionsViewController() override;

    ExtensionRemovalFlow &removalFlow() const { return *m_flow; }

    void back_to_extensions();
    void removeExtension();
    void show_in_finder();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidAppear();
    void tableViewSelectionDidChange();

    AppDelegate &m_appDelegate;
    std::unique_ptr<Ui::SafariExtensionsViewController> m_ui;
    ExtensionListModel *m_model;
    ExtensionRemovalFlow *m_flow;
    bool m_appeared = false;
};

} // namespace zembra
