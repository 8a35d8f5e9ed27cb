#include "extensions/screens/PrefpanesViewController.h"

#include "catalogue/screens/ItemImage.h"
#include "extensions/Bundle.h"
#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/ExtensionScreenSupport.h"
#include "platform/Text.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"
#include "shell/ShownPath.h"

#include "ui_PrefpanesViewController.h"

#include <QItemSelectionModel>
#include <QTimer>

namespace zembra {

PrefpanesViewController::PrefpanesViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), m_appDelegate(delegate),
      m_ui(std::make_unique<Ui::PrefpanesViewController>()), m_model(new ExtensionListModel(this)) {
    m_ui->setupUi(this);
    setAccessibleName(tr("Preference panes"));
    extensionscreens::setUpList(m_ui->tableviewP, m_model);

    ExtensionListModel::Records records;
    for (auto &pane : Bundle(delegate.app_settings()).installedPrefPanes())
        records.push_back(pane);
    m_model->setPathStyle(pathStyle(delegate.app_settings()));
    m_model->setRecords(std::move(records),
                        [](const ItemRecord &record) { return itemImage(record.icon()); });

    connect(m_ui->back_to_extensions, &QPushButton::clicked, this,
            &PrefpanesViewController::back_to_extensions);
    connect(m_ui->removeButton, &QPushButton::clicked, this,
            &PrefpanesViewController::removePrefPane);
    connect(m_ui->show_in_finder, &QPushButton::clicked, this,
            &PrefpanesViewController::show_in_finder);
    bindScreenKeys(this, m_ui->removeButton, m_ui->back_to_extensions);
    connect(m_ui->tableviewP->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PrefpanesViewController::tableViewSelectionDidChange);
}

PrefpanesViewController::~PrefpanesViewController() = default;

void PrefpanesViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        QTimer::singleShot(0, this, &PrefpanesViewController::viewDidAppear);
    }
}

void PrefpanesViewController::viewDidAppear() {
    if (m_model->loaded().empty())
        extensionscreens::presentScene(m_appDelegate, screens::kInstalledPrefpanes, this);
    extensionscreens::showLaunchHint(m_appDelegate, screens::kMorePrefpanes, m_ui->removeButton);
}

void PrefpanesViewController::tableViewSelectionDidChange() {
    const auto record = m_model->recordAt(extensionscreens::selectedRow(m_ui->tableviewP));
    m_ui->show_in_finder->setEnabled(bool(record));
    if (!record)
        return;
    m_ui->removeButton->setEnabled(true);
    m_appDelegate.state().setItem(std::dynamic_pointer_cast<ApplicationItem>(record));
}

void PrefpanesViewController::back_to_extensions() {
    NotificationCenter::defaultCenter().post(screens::kExtensionsViewController);
}

void PrefpanesViewController::removePrefPane() {
    // Without a selected pane there is nothing to review.
    if (extensionscreens::selectedRow(m_ui->tableviewP) < 0)
        return;
    NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
}

void PrefpanesViewController::show_in_finder() {
    extensionscreens::revealSelected(m_ui->tableviewP, *m_model);
}

} // namespace zembra
