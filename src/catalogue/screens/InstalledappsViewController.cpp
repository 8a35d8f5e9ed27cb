#include "catalogue/screens/InstalledappsViewController.h"

#include "ui_InstalledappsViewController.h"

namespace zembra {

InstalledappsViewController::InstalledappsViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::InstalledappsViewController>()) {
    ui->setupUi(this);
}

InstalledappsViewController::~InstalledappsViewController() = default;

} // namespace zembra
