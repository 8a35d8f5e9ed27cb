#include "grants/screens/OptionalPurpose.h"

#include "ui_OptionalPurpose.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "grants/screens/AccessPanels.h"
#include "platform/FileSystem.h"
#include "platform/OpenPanel.h"
#include "shell/AppDelegate.h"

namespace zembra {

OptionalPurpose::OptionalPurpose(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::OptionalPurpose>()), m_delegate(delegate) {
    ui->setupUi(this);
    connect(ui->macOSButton, &QPushButton::clicked, this, &OptionalPurpose::AllowmacOS);
    viewDidLoad();
}

OptionalPurpose::~OptionalPurpose() = default;

void OptionalPurpose::viewDidLoad() {
    if (grants::GrantStore(m_delegate.app_settings()).isValid(grants::kMacOS))
        ui->macOSButton->setEnabled(false);
}

void OptionalPurpose::AllowmacOS() {
    platform::OpenPanel::shared().beginModal(
        access::wholeDiskRequest(), this, this,
        [this](std::optional<std::filesystem::path> folder) {
            if (!folder)
                return;
            grants::GrantStore(m_delegate.app_settings()).createGrant(grants::kMacOS, *folder);
            if (platform::lastComponent(platform::absolutePath(*folder)) == QLatin1String("/"))
                ui->macOSButton->setEnabled(false);
        });
}

} // namespace zembra
