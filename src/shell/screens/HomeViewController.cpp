#include "shell/screens/HomeViewController.h"

#include "ui_HomeViewController.h"

#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"
#include "shell/StoredPixels.h"
#include "shell/TextLook.h"

#include <QPixmap>
#include <QResource>

namespace zembra {

namespace {
// A picture of the first screen from its stored pixels (shell/StoredPixels.h), read in
// place from the resources: no PNG to decode, no image plug-ins to look for.
QPixmap storedPixels(const QString &path) {
    const QResource resource(path);
    if (resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return QPixmap::fromImage(
        decodeStoredPixels(reinterpret_cast<const char *>(resource.data()), resource.size()));
}
} // namespace

HomeViewController::HomeViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::HomeViewController>()) {
    ui->setupUi(this);
    setTextLook(ui->title, {20, 600, QColor(40, 40, 40)});
    setTextLook(ui->subtitle, {0, 0, QColor(76, 76, 76)});
    setTextLook(ui->drop_hint, {0, 0, QColor(76, 76, 76)});
    ui->white_image->setPixmap(storedPixels(QStringLiteral(":/pixels/brand.pixels")));
    ui->drop_image->setPixmap(storedPixels(QStringLiteral(":/pixels/drop_target.pixels")));
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
