#include "preferences/screens/PreferencesSpider.h"

#include "platform/LoginItem.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"
#include "ui_PreferencesSpider.h"

namespace zembra {

PreferencesSpider::PreferencesSpider(platform::SettingsStore &app_settings,
                                     platform::SettingsStore &app_settings_shared,
                                     platform::LoginItem &loginItem, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PreferencesSpider>()),
      m_app_settings(app_settings), m_app_settings_shared(app_settings_shared),
      m_loginItem(loginItem) {
    m_ui->setupUi(this);
    m_ui->spiderProblemLabel->hide();
    connect(m_ui->enableSpiderButton, &QCheckBox::clicked, this, &PreferencesSpider::EnableSpider);
    connect(m_ui->enableNotificationsButton, &QCheckBox::clicked, this,
            &PreferencesSpider::EnableNotifications);
    connect(m_ui->removeNotifiactionsButton, &QCheckBox::clicked, this,
            &PreferencesSpider::RemoveNotifications);
    viewDidLoad();
}

PreferencesSpider::~PreferencesSpider() = default;

QString PreferencesSpider::identifier() const {
    return QStringLiteral("PreferencesSpider");
}

QString PreferencesSpider::toolbarItemLabel() const {
    return tr("Spider");
}

QIcon PreferencesSpider::toolbarItemImage() const {
    static const QIcon image(QStringLiteral(":/images/SpiderPrefrences.png"));
    return image;
}

void PreferencesSpider::viewDidLoad() {
    // The stored values; the form has both notification boxes disabled.
    m_ui->enableSpiderButton->setChecked(m_app_settings.integerForKey(preferences::kEnableSpider) ==
                                         1);
    m_ui->enableNotificationsButton->setChecked(
        m_app_settings_shared.integerForKey(preferences::kDisableNotification) != 1);
    m_ui->removeNotifiactionsButton->setChecked(
        m_app_settings_shared.integerForKey(preferences::kDisabelRemoveNotification) != 1);

    if (m_app_settings.integerForKey(preferences::kEnableSpider) == 1) {
        m_ui->enableNotificationsButton->setEnabled(true);
        m_ui->removeNotifiactionsButton->setEnabled(true);
    }
    if (m_app_settings_shared.integerForKey(preferences::kDisableNotification) == 1)
        m_ui->removeNotifiactionsButton->setEnabled(false);
}

void PreferencesSpider::EnableSpider(bool on) {
    // A watcher that cannot be registered is not shown as on: the switch goes back off
    // and the pane says why. Switching off is stored whatever the registration says.
    m_ui->spiderProblemLabel->hide();
    if (!m_loginItem.setEnabled(on) && on) {
        on = false;
        m_ui->enableSpiderButton->setChecked(false);
        m_ui->spiderProblemLabel->setText(
            tr("The Spider was not switched on: %1.").arg(m_loginItem.problem()));
        m_ui->spiderProblemLabel->show();
    }
    m_app_settings.setInteger(preferences::kEnableSpider, on ? 1 : 0);
    m_ui->enableNotificationsButton->setEnabled(on);
    m_ui->removeNotifiactionsButton->setEnabled(on);
}

void PreferencesSpider::EnableNotifications(bool on) {
    m_app_settings_shared.setInteger(preferences::kDisableNotification, on ? 0 : 1);
    m_ui->removeNotifiactionsButton->setEnabled(on);
}

void PreferencesSpider::RemoveNotifications(bool on) {
    m_app_settings_shared.setInteger(preferences::kDisabelRemoveNotification, on ? 0 : 1);
}

} // namespace zembra
