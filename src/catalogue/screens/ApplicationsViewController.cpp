#include "catalogue/screens/ApplicationsViewController.h"

#include "ui_ApplicationsViewController.h"

#include "catalogue/screens/ApplicationsModel.h"
#include "catalogue/screens/ApplicationsRowView.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QItemSelectionModel>
#include <QToolButton>

namespace zembra {

namespace {
ApplicationsViewController::Reader &reader() {
    static ApplicationsViewController::Reader r;
    return r;
}
} // namespace

void ApplicationsViewController::setReader(Reader r) {
    reader() = std::move(r);
}

ApplicationsViewController::ApplicationsViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ApplicationsViewController>()),
      m_appDelegate(delegate), m_application(delegate.app_settings()),
      m_model(new ApplicationsModel(this)) {
    ui->setupUi(this);
    ui->tableviewA->setModel(m_model);
    ui->tableviewA->setItemDelegate(new ApplicationsRowView(ui->tableviewA));
    // The field's own clear button is an icon only: a screen reader needs its name.
    for (QToolButton *clear : ui->search_field->findChildren<QToolButton *>())
        clear->setAccessibleName(tr("Clear Search"));
    connect(ui->search_field, &QLineEdit::textChanged, this,
            &ApplicationsViewController::controlTextDidChange);
    connect(ui->tableviewA->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ApplicationsViewController::tableViewSelectionDidChange);
    connect(ui->home_back, &QPushButton::clicked, this, &ApplicationsViewController::home_back);
    connect(ui->switch_next, &QPushButton::clicked, this,
            &ApplicationsViewController::remainder_next);
    bindScreenKeys(this, ui->switch_next, ui->home_back);
    viewDidLoad();
}

ApplicationsViewController::~ApplicationsViewController() = default;

void ApplicationsViewController::viewDidLoad() {
    reload();
}

void ApplicationsViewController::reload() {
    // A job once cancelled still signals; a fresh one leaves the old read's batches unseen.
    delete m_load;
    m_load = new Job<ApplicationList>(this);
    connect(m_load, &JobSignals::batchesReady, this, &ApplicationsViewController::takeBatches);
    connect(m_load, &JobSignals::finished, this, &ApplicationsViewController::loadDidFinish);
    m_model->setApplications({});
    m_loading = true;
    // The grant and the settings are read here; the worker gets values only.
    const ApplicationsQuery query = m_application.installedApplicationsQuery();
    Reader read = reader() ? reader() : Reader(&Application::readApplications);
    m_load->startInBatches([query, read](const BatchControl<ApplicationList> &control) {
        read(
            query, kBatchSize,
            [&control](ApplicationList batch) { control.report(std::move(batch)); },
            control.cancelFlag());
    });
    showState();
}

void ApplicationsViewController::takeBatches() {
    for (ApplicationList &batch : m_load->takeBatches())
        m_model->appendApplications(std::move(batch));
    showState();
}

void ApplicationsViewController::loadDidFinish() {
    takeBatches();
    m_loading = false;
    showState();
    if (m_appeared)
        viewDidAppear();
}

void ApplicationsViewController::showState() {
    ui->loading->setVisible(m_loading);
    if (m_loading)
        ui->loading->setText(
            tr("Reading the applications… %n found", nullptr, m_model->loadedCount()));
}

void ApplicationsViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        viewDidAppear();
    }
}

void ApplicationsViewController::viewDidAppear() {
    // Empty only counts once the read is complete.
    if (m_loading || !m_model->isEmpty())
        return;
    if (QWidget *sheet = m_appDelegate.storyboard().instantiate(screens::kInstalledapps, nullptr))
        presentAsSheet(sheet, this);
}

void ApplicationsViewController::controlTextDidChange(const QString &text) {
    m_model->filter(text);
}

void ApplicationsViewController::tableViewSelectionDidChange() {
    const QModelIndexList selected = ui->tableviewA->selectionModel()->selectedRows();
    // No row selected (empty space clicked, or the filter hid the row): the item stays.
    if (selected.isEmpty())
        return;
    const auto item = m_model->itemAt(selected.front().row());
    if (!item)
        return;
    ui->switch_next->setEnabled(true);
    m_appDelegate.state().setItem(item);
}

void ApplicationsViewController::home_back() {
    NotificationCenter::defaultCenter().post(screens::kHomeViewController);
}

void ApplicationsViewController::remainder_next() {
    // The choice was handed over when the row was selected.
    NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
}

} // namespace zembra
