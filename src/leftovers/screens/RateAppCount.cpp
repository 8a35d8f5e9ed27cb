#include "leftovers/screens/RateAppCount.h"

#include "ui_RateAppCount.h"

#include "leftovers/screens/RateAppViewController.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenNames.h"

namespace zembra {

RateAppCount::RateAppCount(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RateAppCount>()), m_app(app) {
    ui->setupUi(this);
    const long launches = app.app_settings().integerForKey(screens::kAppLaunchCount);
    ui->text->setText(
        QStringLiteral("You use app %1 times.Do you like Uninstaller zembra?").arg(launches));
    connect(ui->yesApp, &QPushButton::clicked, this, &RateAppCount::yesApp);
}

RateAppCount::~RateAppCount() = default;

void RateAppCount::yesApp() {
    rateInStore(m_app);
}

} // namespace zembra
