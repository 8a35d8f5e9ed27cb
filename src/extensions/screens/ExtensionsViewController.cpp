#include "extensions/screens/ExtensionsViewController.h"

#include "extensions/SafariBundle.h"
#include "extensions/screens/SceneImages.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include "ui_ExtensionsViewController.h"

namespace zembra {

ExtensionsViewController::ExtensionsViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ExtensionsViewController>()) {
    m_ui->setupUi(this);
    setAccessibleName(tr("Extensions"));
    const QSize side(128, 128);
    m_ui->plugins_image->setPixmap(
        platform::Workspace::shared().iconForFileType(QStringLiteral("bundle")).pixmap(side));
    showImageFile(m_ui->safari_image, safariCompassImage(delegate.app_settings()), side);

    connect(m_ui->plugins, &QPushButton::clicked, this, &ExtensionsViewController::plugins);
    connect(m_ui->preference_panes, &QPushButton::clicked, this,
            &ExtensionsViewController::preference_panes);
    connect(m_ui->sfari_extensions, &QPushButton::clicked, this,
            &ExtensionsViewController::sfari_extensions);
    connect(m_ui->back_to_home_viewcontroller, &QPushButton::clicked, this,
            &ExtensionsViewController::back_to_home_viewcontroller);
    bindScreenKeys(this, m_ui->plugins, m_ui->back_to_home_viewcontroller);
}

ExtensionsViewController::~ExtensionsViewController() = default;

void ExtensionsViewController::plugins() {
    NotificationCenter::defaultCenter().post(screens::kPluginsViewController);
}

void ExtensionsViewController::preference_panes() {
    NotificationCenter::defaultCenter().post(screens::kPrefpanesViewController);
}

void ExtensionsViewController::sfari_extensions() {
    NotificationCenter::defaultCenter().post(screens::kSafariExtensionsViewController);
}

void ExtensionsViewController::back_to_home_viewcontroller() {
    NotificationCenter::defaultCenter().post(screens::kHomeViewController);
}

} // namespace zembra
