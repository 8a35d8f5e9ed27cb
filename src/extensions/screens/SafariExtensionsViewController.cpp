#include "extensions/screens/SafariExtensionsViewController.h"

#include "extensions/SafariExtension.h"
#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionRemovalFlow.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/ExtensionScreenSupport.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"
#include "shell/ShownPath.h"

#include "ui_SafariExtensionsViewController.h"

#include <QItemSelectionModel>
#include <QTimer>

namespace zembra {

bool isSafariRunning(const std::vector<platform::RunningApplication> &running) {
    for (const auto &app : running)
        if (app.bundleIdentifier &&
            app.bundleIdentifier->contains(screens::kSafariIdentifier, Qt::CaseSensitive))
            return true;
    return false;
}

SafariExtensionsViewController::SafariExtensionsViewController(AppDelegate &delegate,
                                                               QWidget *parent)
    : QWidget(parent), m_appDelegate(delegate),
      m_ui(std::make_unique<Ui::SafariExtensionsViewController>()),
      m_model(new ExtensionListModel(this)) {
    m_ui->setupUi(this);
    setAccessibleName(tr("Safari extensions"));
    extensionscreens::setUpList(m_ui->tableviewS, m_model);

    const QIcon archiveIcon =
        platform::Workspace::shared().iconForFileType(QStringLiteral("safariextz"));
    ExtensionListModel::Records records;
    for (auto &extension : SafariExtension(delegate.app_settings()).installedSafariExtensions())
        records.push_back(extension);
    m_model->setPathStyle(pathStyle(delegate.app_settings()));
    m_model->setRecords(std::move(records),
                        [archiveIcon](const ItemRecord &) { return archiveIcon; });

    m_flow = new ExtensionRemovalFlow(ExtensionRemover::Kind::SafariExtension, delegate, *m_model,
                                      {this, m_ui->tableviewS, m_ui->removeButton, m_ui->progress},
                                      this);
    m_flow->setMayStart([this] {
        if (!isSafariRunning(platform::runningApplications()))
            return true;
        extensionscreens::presentScene(m_appDelegate, screens::kLaunchedSafariExtensions, this);
        return false;
    });

    connect(m_ui->back_to_extensions, &QPushButton::clicked, this,
            &SafariExtensionsViewController::back_to_extensions);
    connect(m_ui->removeButton, &QPushButton::clicked, this,
            &SafariExtensionsViewController::removeExtension);
    connect(m_ui->show_in_finder, &QPushButton::clicked, this,
            &SafariExtensionsViewController::show_in_finder);
    bindScreenKeys(this, m_ui->removeButton, m_ui->back_to_extensions);
    connect(m_ui->tableviewS->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SafariExtensionsViewController::tableViewSelectionDidChange);
}

SafariExtensionsViewController::~SafariExtensionsViewController() = default;

void SafariExtensionsViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        QTimer::singleShot(0, this, &SafariExtensionsViewController::viewDidAppear);
    }
}

void SafariExtensionsViewController::viewDidAppear() {
    if (m_model->loaded().empty())
        extensionscreens::presentScene(m_appDelegate, screens::kInstalledSafariExtensions, this);
}

void SafariExtensionsViewController::tableViewSelectionDidChange() {
    const bool any = extensionscreens::selectedRow(m_ui->tableviewS) >= 0;
    if (any)
        m_ui->removeButton->setEnabled(true);
    m_ui->show_in_finder->setEnabled(any);
}

void SafariExtensionsViewController::back_to_extensions() {
    NotificationCenter::defaultCenter().post(screens::kExtensionsViewController);
}

void SafariExtensionsViewController::removeExtension() {
    m_flow->removeSelected();
}

void SafariExtensionsViewController::show_in_finder() {
    extensionscreens::revealSelected(m_ui->tableviewS, *m_model);
}

} // namespace zembra
