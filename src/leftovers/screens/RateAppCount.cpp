#include "periphery/ReateAppCount.h"

#include "ui_ReateAppCount.h"

#include "periphery/RateAppViewController.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenNames.h"

namespace zembra {

ReateAppCount::ReateAppCount(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ReateAppCount>()), m_app(app) {
    ui->setupUi(this);
    const long launches = app.app_settings().integerForKey(screens::kAppLaunchCount);
    ui->text->setText(
        QStringLiteral("You use app %1 times.Do you like Uninstaller zembra?").arg(launches));
    connect(ui->yesApp, &QPushButton::clicked, this, &ReateAppCount::yesApp);
}

ReateAppCount::~ReateAppCount() = default;

void ReateAppCount::yesApp() {
    rateInStore(m_app);
}

} // namespace zembra
