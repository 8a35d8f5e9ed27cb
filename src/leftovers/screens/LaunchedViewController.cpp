#include "leftovers/screens/LaunchedViewController.h"

#include "ui_LaunchedViewController.h"

#include "catalogue/screens/ItemImage.h"
#include "platform/VisibleText.h"
#include "shell/AppDelegate.h"
#include "shell/ElidedText.h"

namespace zembra {

LaunchedViewController::LaunchedViewController(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::LaunchedViewController>()) {
    ui->setupUi(this);
    if (const auto item = app.state().item()) {
        const QIcon icon = itemImage(item->icon());
        if (!icon.isNull())
            ui->image->setPixmap(icon.pixmap(64, 64));
        setElidedText(ui->label, platform::visiblyEscaped(item->label().value_or(QString())));
    }
}

LaunchedViewController::~LaunchedViewController() = default;

} // namespace zembra
