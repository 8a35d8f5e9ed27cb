#pragma once
// The "Spider" pane: switches the background watcher on or off (its login item, which
// also starts or stops it) and sets its two notification switches in the shared suite
// that the watcher reads. The boxes show the stored values when the pane is made; the
// notification boxes are usable only while the watcher is on. GUI thread.

#include "preferences/screens/PreferencesPane.h"

#include <QWidget>

#include <memory>

namespace Ui {
class PreferencesSpider;
}

namespace zembra {

namespace platform {
class LoginItem;
class SettingsStore;
} // namespace platform

class PreferencesSpider : public QWidget, public PreferencesPane {
    Q_OBJECT
public:
    // `app_settings` is the standard store, `app_settings_shared` the shared suite; the
    // login item belongs to the caller and outlives the pane.
    PreferencesSpider(platform::SettingsStore &app_settings,
                      platform::SettingsStore &app_settings_shared, platform::LoginItem &loginItem,
                      QWidget *parent = nullptr);
    ~PreferencesSpider() override;

    QString identifier() const override;
    QString toolbarItemLabel() const override;
    QIcon toolbarItemImage() const override;

private:
    void viewDidLoad();
    void EnableSpider(bool on);
    void EnableNotifications(bool on);
    void RemoveNotifications(bool on);

    std::unique_ptr<Ui::PreferencesSpider> m_ui;
    platform::SettingsStore &m_app_settings;
    platform::SettingsStore &m_app_settings_shared;
    platform::LoginItem &m_loginItem;
};

} // namespace zembra
