#include "extensions/screens/InfoPluginsViewController.h"

#include "periphery/StoreLinks.h"
#include "platform/Workspace.h"

#include "ui_MorePlugins.h"

namespace zembra {

InfoPluginsViewController::InfoPluginsViewController(QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MorePlugins>()) {
    m_ui->setupUi(this);
    connect(m_ui->visit, &QPushButton::clicked, this, &InfoPluginsViewController::visit);
}

InfoPluginsViewController::~InfoPluginsViewController() = default;

void InfoPluginsViewController::visit() {
    platform::Workspace::shared().openURL(kProductMorePage);
}

} // namespace zembra
