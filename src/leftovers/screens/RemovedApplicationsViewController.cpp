#include "leftovers/screens/RemovedApplicationsViewController.h"

#include "ui_RemovedApplicationsViewController.h"

#include "catalogue/Application.h"
#include "catalogue/RemovedApplications.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace zembra {

namespace {

using Rows = std::vector<RemovedApplicationsModel::Row>;

// Hands each gone application with leftovers over as soon as its search ends.
void findRemovedApplications(const BatchControl<Rows> &control, platform::SettingsStore &settings,
                             const QString &settingsFolder) {
    const ApplicationList installed = Application(settings).everyInstalledApplication();
    const ApplicationList gone =
        removedApplications(readSnapshot(snapshotFile(settingsFolder)), installed);
    for (const auto &item : gone) {
        if (control.cancelled())
            break;
        const leftovers::LeftoverWeight weight =
            leftovers::weighLeftovers(*item, settings, installed);
        if (!weight.empty())
            control.report(Rows{{item, weight}});
    }
}

} // namespace

RemovedApplicationsViewController::RemovedApplicationsViewController(AppDelegate &delegate,
                                                                     const QString &settingsFolder,
                                                                     QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RemovedApplicationsViewController>()),
      m_delegate(delegate), m_model(new RemovedApplicationsModel(this)),
      m_job(new Job<Rows>(this)) {
    ui->setupUi(this);
    QTableView *table = ui->tableviewR;
    table->setModel(m_model);
    table->verticalHeader()->hide();
    QHeaderView *columns = table->horizontalHeader();
    columns->setSectionResizeMode(RemovedApplicationsModel::NameColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(RemovedApplicationsModel::IdentifierColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(RemovedApplicationsModel::LeftoversColumn,
                                  QHeaderView::ResizeToContents);
    // The header and the table's corner are controls too: a screen reader needs their names.
    columns->setAccessibleName(tr("Columns"));
    table->setCornerButtonEnabled(false);
    for (QAbstractButton *corner :
         table->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly))
        corner->setAccessibleName(tr("Table corner"));
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RemovedApplicationsViewController::tableViewSelectionDidChange);
    connect(table, &QTableView::activated, this, &RemovedApplicationsViewController::review);
    connect(ui->switch_review, &QPushButton::clicked, this,
            &RemovedApplicationsViewController::review);
    connect(ui->home_back, &QPushButton::clicked, this,
            &RemovedApplicationsViewController::home_back);
    bindScreenKeys(this, ui->switch_review, ui->home_back);

    showState();
    connect(m_job, &JobSignals::batchesReady, this, &RemovedApplicationsViewController::takeFound);
    connect(m_job, &JobSignals::finished, this,
            &RemovedApplicationsViewController::searchDidFinish);
    // The settings store outlives every worker: the delegate waits for them when it ends.
    platform::SettingsStore &settings = delegate.app_settings();
    m_job->startInBatches([&settings, settingsFolder](const BatchControl<Rows> &control) {
        findRemovedApplications(control, settings, settingsFolder);
    });
}

// Destroying the job cancels the search and drops whatever it still hands over.
RemovedApplicationsViewController::~RemovedApplicationsViewController() = default;

void RemovedApplicationsViewController::takeFound() {
    for (Rows &rows : m_job->takeBatches())
        m_model->appendRows(std::move(rows));
    showState();
}

void RemovedApplicationsViewController::searchDidFinish() {
    takeFound();
    m_finished = true;
    showState();
}

bool RemovedApplicationsViewController::searchFinished() const {
    return m_finished;
}

void RemovedApplicationsViewController::showState() {
    ui->progress->setVisible(!m_finished);
    ui->searching->setVisible(!m_finished);
    const bool none = m_finished && m_model->rowCount() == 0;
    ui->empty_notice->setVisible(none);
    ui->tableviewR->setVisible(!none);
}

void RemovedApplicationsViewController::tableViewSelectionDidChange() {
    ui->switch_review->setEnabled(!ui->tableviewR->selectionModel()->selectedRows().isEmpty());
}

void RemovedApplicationsViewController::review() {
    const QModelIndexList selected = ui->tableviewR->selectionModel()->selectedRows();
    const auto item = selected.isEmpty() ? nullptr : m_model->itemAt(selected.front().row());
    if (!item)
        return;
    // The review writes its results into the shared item: hand it a copy of its own.
    m_delegate.state().setItem(std::make_shared<ApplicationItem>(*item));
    NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
}

void RemovedApplicationsViewController::home_back() {
    NotificationCenter::defaultCenter().post(screens::kHomeViewController);
}

} // namespace zembra
