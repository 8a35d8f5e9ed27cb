#include "shell/screens/HomeViewController.h"

#include "ui_HomeViewController.h"

#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QPixmap>

namespace zembra {

HomeViewController::HomeViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::HomeViewController>()) {
    ui->setupUi(this);
    ui->white_image->setPixmap(QPixmap(QStringLiteral(":/images/brand.png")));
    ui->drop_image->setPixmap(QPixmap(QStringLiteral(":/images/drop_target.png")));
    connect(ui->applications, &QPushButton::clicked, this, &HomeViewController::applications);
    connect(ui->extensions, &QPushButton::clicked, this, &HomeViewController::Extensions);
    connect(ui->removed, &QPushButton::clicked, this, &HomeViewController::removed_applications);
    bindScreenKeys(this, ui->applications, nullptr);
}

HomeViewController::~HomeViewController() = default;

void HomeViewController::applications() {
    NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
}

void HomeViewController::Extensions() {
    NotificationCenter::defaultCenter().post(screens::kExtensionsViewController);
}

void HomeViewController::removed_applications() {
    NotificationCenter::defaultCenter().post(screens::kRemovedApplicationsViewController);
}

} // namespace zembra
