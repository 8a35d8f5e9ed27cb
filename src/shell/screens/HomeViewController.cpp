#include "shell/screens/HomeViewController.h"

#include "ui_HomeViewController.h"

#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QImageReader>
#include <QPixmap>

namespace zembra {

namespace {
// A PNG of the resources read by Qt's own reader: left to find its reader, QImageReader
// loads and asks every image plug-in first, which costs the first screen its start.
QPixmap resourcePng(const QString &path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}
} // namespace

HomeViewController::HomeViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::HomeViewController>()) {
    ui->setupUi(this);
    ui->white_image->setPixmap(resourcePng(QStringLiteral(":/images/brand.png")));
    ui->drop_image->setPixmap(resourcePng(QStringLiteral(":/images/drop_target.png")));
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
