#include "grants/screens/SandboxViewController.h"

#include "ui_SandboxViewController.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "grants/screens/AccessPanels.h"
#include "platform/FileSystem.h"
#include "platform/OpenPanel.h"
#include "platform/RunningApplications.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/Presentation.h"
#include "shell/TextLook.h"

#include <cstdlib>

namespace zembra {

SandboxViewController::SandboxViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::SandboxViewController>()), m_delegate(delegate) {
    ui->setupUi(this);
    setTextLook(ui->title, {14, 600, {}});
    connect(ui->switchAllowApplications, &QPushButton::clicked, this,
            &SandboxViewController::allowApplication);
    connect(ui->switchAllowHome, &QPushButton::clicked, this, &SandboxViewController::allowHome);
    connect(ui->exitButton, &QPushButton::clicked, this, &SandboxViewController::exit);
    viewDidLoad();
}

SandboxViewController::~SandboxViewController() = default;

void SandboxViewController::viewDidLoad() {
    const grants::GrantStore store(m_delegate.app_settings());
    const bool homeValid = store.isValid(grants::kHome);
    const bool applicationsValid = store.isValid(grants::kApplications);
    // Shown only when one of the two is missing: this disables exactly the other's button.
    if (homeValid)
        ui->switchAllowHome->setEnabled(false);
    else if (applicationsValid)
        ui->switchAllowApplications->setEnabled(false);
}

void SandboxViewController::allowApplication() {
    platform::OpenPanel::shared().beginModal(
        access::applicationsRequest(), this, this,
        [this](std::optional<std::filesystem::path> folder) {
            grants::GrantStore store(m_delegate.app_settings());
            if (folder)
                store.createGrant(grants::kApplications, *folder);
            if (!folder || platform::lastComponent(platform::absolutePath(*folder)) !=
                               QLatin1String("Applications"))
                return;
            ui->switchAllowApplications->setEnabled(false);
            if (store.isValid(grants::kHome))
                dismiss(this);
        });
}

void SandboxViewController::allowHome() {
    platform::OpenPanel::shared().beginModal(
        access::homeRequest(), this, this, [this](std::optional<std::filesystem::path> folder) {
            grants::GrantStore store(m_delegate.app_settings());
            if (folder)
                store.createGrant(grants::kHome, *folder);
            if (!folder ||
                platform::lastComponent(platform::absolutePath(*folder)) != platform::userName())
                return;
            ui->switchAllowHome->setEnabled(false);
            if (store.isValid(grants::kApplications))
                dismiss(this);
        });
}

void SandboxViewController::exit() {
    m_delegate.app_settings().synchronize();
    std::exit(0);
}

} // namespace zembra
