#include "extensions/screens/PluginsViewController.h"

#include "extensions/Bundle.h"
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

#include "ui_PluginsViewController.h"

#include <QItemSelectionModel>
#include <QTimer>

namespace zembra {

PluginsViewController::PluginsViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), m_appDelegate(delegate), m_ui(std::make_unique<Ui::PluginsViewController>()),
      m_model(new ExtensionListModel(this)) {
    m_ui->setupUi(this);
    setAccessibleName(tr("Plug-ins"));
    extensionscreens::setUpList(m_ui->tableviewB, m_model);

    // Every plug-in shows the icon of its file type.
    const QIcon bundleIcon =
        platform::Workspace::shared().iconForFileType(QStringLiteral("bundle"));
    ExtensionListModel::Records records;
    for (auto &plugin : Bundle(delegate.app_settings()).installedPlugins())
        records.push_back(plugin);
    m_model->setPathStyle(pathStyle(delegate.app_settings()));
    m_model->setRecords(std::move(records),
                        [bundleIcon](const ItemRecord &) { return bundleIcon; });

    m_flow = new ExtensionRemovalFlow(
        ExtensionRemover::Kind::Plugin, delegate, *m_model,
        {this, m_ui->tableviewB, m_ui->removePluginButton, m_ui->progress}, this);

    connect(m_ui->back_to_extensions, &QPushButton::clicked, this,
            &PluginsViewController::back_to_extensions);
    connect(m_ui->removePluginButton, &QPushButton::clicked, this,
            &PluginsViewController::remove_plugin);
    connect(m_ui->show_in_finder, &QPushButton::clicked, this,
            &PluginsViewController::show_in_finder);
    connect(m_ui->search_field, &QLineEdit::textChanged, this,
            &PluginsViewController::controlTextDidChange);
    bindScreenKeys(this, m_ui->removePluginButton, m_ui->back_to_extensions);
    connect(m_ui->tableviewB->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PluginsViewController::tableViewSelectionDidChange);
}

PluginsViewController::~PluginsViewController() = default;

void PluginsViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        QTimer::singleShot(0, this, &PluginsViewController::viewDidAppear);
    }
}

void PluginsViewController::viewDidAppear() {
    if (m_model->loaded().empty())
        extensionscreens::presentScene(m_appDelegate, screens::kInstalledBundles, this);
    extensionscreens::showLaunchHint(m_appDelegate, screens::kMorePlugins,
                                     m_ui->removePluginButton);
}

void PluginsViewController::tableViewSelectionDidChange() {
    const bool any = extensionscreens::selectedRow(m_ui->tableviewB) >= 0;
    if (any)
        m_ui->removePluginButton->setEnabled(true);
    m_ui->show_in_finder->setEnabled(any);
}

void PluginsViewController::controlTextDidChange(const QString &text) {
    m_model->setFilter(text);
}

void PluginsViewController::back_to_extensions() {
    NotificationCenter::defaultCenter().post(screens::kExtensionsViewController);
}

void PluginsViewController::remove_plugin() {
    m_flow->removeSelected();
}

void PluginsViewController::show_in_finder() {
    extensionscreens::revealSelected(m_ui->tableviewB, *m_model);
}

} // namespace zembra
