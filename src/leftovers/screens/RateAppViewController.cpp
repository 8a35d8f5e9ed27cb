#include "leftovers/screens/RateAppViewController.h"

#include "ui_RateAppViewController.h"

#include "leftovers/screens/OutcomeKeys.h"
#include "leftovers/screens/RatingKeys.h"
#include "periphery/StoreLinks.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"

namespace zembra {

void rateInStore(AppDelegate &app) {
    openAppStorePage();
    app.app_settings().setInteger(screens::kAppIsRate, 1);
}

RateAppViewController::RateAppViewController(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RateAppViewController>()), m_app(app) {
    ui->setupUi(this);
    const long removals = app.app_settings().integerForKey(screens::kRemoveAppCount);
    ui->label->setText(
        QStringLiteral("You are removed %1 apps.You enjoyed this app?").arg(removals));
    connect(ui->rateApp, &QPushButton::clicked, this, &RateAppViewController::rateApp);
    connect(ui->Dislike, &QPushButton::clicked, this, &RateAppViewController::Dislike);
    connect(ui->no, &QPushButton::clicked, this, &RateAppViewController::no);
    connect(ui->close, &QToolButton::clicked, this, &RateAppViewController::close);
}

RateAppViewController::~RateAppViewController() = default;

void RateAppViewController::rateApp() {
    rateInStore(m_app);
    NotificationCenter::defaultCenter().post(screens::kCloseRateApp);
}

void RateAppViewController::Dislike() {
    rateApp();
}

void RateAppViewController::no() {
    NotificationCenter::defaultCenter().post(screens::kCloseRateApp);
}

void RateAppViewController::close() {
    NotificationCenter::defaultCenter().post(screens::kCloseRateApp);
}

} // namespace zembra
