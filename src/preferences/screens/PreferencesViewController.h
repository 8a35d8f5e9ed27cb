#pragma once
// The "General" pane: the two switches that widen the applications list. Each click is
// stored at once in the standard store; the list reads them at its next listing.
// GUI thread.

#include "preferences/screens/PreferencesPane.h"

#include <QWidget>

#include <memory>

namespace Ui {
class PreferencesViewController;
}

namespace zembra {

namespace platform {
class SettingsStore;
}

class PreferencesViewController : public QWidget, public PreferencesPane {
    Q_OBJECT
public:
    PreferencesViewController(platform::SettingsStore &app_settings, QWidget *parent = nullptr);
    ~PreferencesViewController() override;

    QString identifier() const override;
    QString toolbarItemLabel() const override;
    QIcon toolbarItemImage() const override;

private:
    void viewDidLoad();
    void includeDefaultApps(bool on);
    void IncludeUtilities(bool on);

    std::unique_ptr<Ui::PreferencesViewController> m_ui;
    platform::SettingsStore &m_app_settings;
};

} // namespace zembra
