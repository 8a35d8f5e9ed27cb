#include "catalogue/screens/RemovedApplicationsViewController.h"

#include "ui_RemovedApplicationsViewController.h"

#include "catalogue/Application.h"
#include "catalogue/RemovedApplications.h"
#include "catalogue/screens/RemovedApplicationsModel.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <mutex>

namespace zembra {

namespace {
constexpr int kPollMilliseconds = 300;
} // namespace

struct RemovedApplicationsViewController::SearchJob {
    std::mutex mutex;
    std::vector<RemovedApplicationsModel::Row> found; // handed over and emptied by each poll
    std::atomic<bool> done{false};
    std::atomic<bool> cancelled{false};
};

namespace {

void findRemovedApplications(
    const std::shared_ptr<RemovedApplicationsViewController::SearchJob> &job,
    platform::SettingsStore &settings, const QString &settingsFolder) {
    const ApplicationList installed = Application(settings).everyInstalledApplication();
    const ApplicationList gone =
        removedApplications(readSnapshot(snapshotFile(settingsFolder)), installed);
    for (const auto &item : gone) {
        if (job->cancelled.load(std::memory_order_relaxed))
            break;
        const leftovers::LeftoverWeight weight =
            leftovers::weighLeftovers(*item, settings, installed);
        if (weight.empty())
            continue;
        std::lock_guard lock(job->mutex);
        job->found.push_back({item, weight});
    }
    job->done.store(true, std::memory_order_release);
}

} // namespace

RemovedApplicationsViewController::RemovedApplicationsViewController(AppDelegate &delegate,
                                                                     const QString &settingsFolder,
                                                                     QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RemovedApplicationsViewController>()),
      m_delegate(delegate), m_model(new RemovedApplicationsModel(this)),
      m_job(std::make_shared<SearchJob>()), m_timer(new QTimer(this)) {
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
    platform::SettingsStore &settings = delegate.app_settings();
    QThreadPool::globalInstance()->start([job = m_job, &settings, settingsFolder] {
        findRemovedApplications(job, settings, settingsFolder);
    });
    m_timer->setInterval(kPollMilliseconds);
    connect(m_timer, &QTimer::timeout, this,
            &RemovedApplicationsViewController::removed_timer_proc);
    m_timer->start();
}

RemovedApplicationsViewController::~RemovedApplicationsViewController() {
    m_job->cancelled.store(true, std::memory_order_relaxed);
}

void RemovedApplicationsViewController::removed_timer_proc() {
    if (m_finished)
        return;
    // Read the flag first: whatever the worker found before it set the flag is then in
    // `found` below, so nothing is left behind at the last tick.
    const bool done = m_job->done.load(std::memory_order_acquire);
    std::vector<RemovedApplicationsModel::Row> rows;
    {
        std::lock_guard lock(m_job->mutex);
        rows.swap(m_job->found);
    }
    m_model->appendRows(std::move(rows));
    if (done) {
        m_finished = true;
        m_timer->stop();
    }
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
