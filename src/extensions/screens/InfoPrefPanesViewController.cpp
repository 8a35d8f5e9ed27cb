#include "extensions/screens/InfoPrefPanesViewController.h"

#include "periphery/StoreLinks.h"
#include "platform/Workspace.h"

#include "ui_MorePrefpanes.h"

namespace zembra {

InfoPrefPanesViewController::InfoPrefPanesViewController(QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MorePrefpanes>()) {
    m_ui->setupUi(this);
    connect(m_ui->visit, &QPushButton::clicked, this, &InfoPrefPanesViewController::visit);
}

InfoPrefPanesViewController::~InfoPrefPanesViewController() = default;

void InfoPrefPanesViewController::visit() {
    platform::Workspace::shared().openURL(kProductMorePage);
}

} // namespace zembra
