#include "extensions/screens/LaunchedSafari.h"

#include "extensions/SafariBundle.h"
#include "extensions/screens/SceneImages.h"
#include "shell/AppDelegate.h"

#include "ui_LaunchedSafariExtensions.h"

namespace zembra {

LaunchedSafari::LaunchedSafari(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LaunchedSafariExtensions>()) {
    m_ui->setupUi(this);
    showImageFile(m_ui->safari_image, safariCompassImage(delegate.app_settings()), QSize(64, 64));
}

LaunchedSafari::~LaunchedSafari() = default;

} // namespace zembra
