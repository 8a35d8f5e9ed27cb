#include "leftovers/screens/RemainderViewController.h"

#include "ui_RemainderViewController.h"

#include "catalogue/Application.h"
#include "catalogue/screens/ItemImage.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "leftovers/screens/LeftoverTableModel.h"
#include "leftovers/screens/RemainderRowDelegate.h"
#include "leftovers/screens/RemainderScroller.h"
#include "leftovers/screens/RemovalRunner.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/VisibleText.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/ElidedText.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

#include <QHeaderView>
#include <QMessageBox>
namespace zembra {

namespace {
constexpr int kGroupRowHeight = 20;
constexpr int kFileRowHeight = 40;
} // namespace

struct RemainderViewController::SearchResults {
    ApplicationItem record; // the searched copy of the shared item
    ReviewContents contents;
    std::vector<std::filesystem::path> unreadable;
    bool cancelled = false;
};

namespace {

// The search of one visit, on a worker: the record's lists, the review built on them (flags,
// the related group, what the removal's scope would refuse), then the rows the table shows. Stops
// early when cancelled.
std::shared_ptr<RemainderViewController::SearchResults>
runReviewSearch(ApplicationItem record, const PathStyle &paths, platform::SettingsStore &settings,
                const std::vector<std::filesystem::path> &grantedItems,
                const RemainderViewController::Search &search, const JobControl &control);

} // namespace

RemainderViewController::RemainderViewController(AppDelegate &app,
                                                 leftovers::RemovalServices removal,
                                                 QWidget *parent, Search search)
    : QWidget(parent), ui(std::make_unique<Ui::RemainderViewController>()), m_app(app),
      m_item(app.state().item()), m_searchFunction(std::move(search)),
      m_search(new Job<std::shared_ptr<SearchResults>>(this)),
      m_model(new LeftoverTableModel(this)),
      m_removal(new RemovalRunner(std::move(removal), this)) {
    ui->setupUi(this);
    setElidedText(ui->titleLabel, m_item && m_item->label()
                                      ? platform::visiblyEscaped(*m_item->label())
                                      : tr("Leftovers"));

    QTableView *table = ui->tableviewR;
    table->setModel(m_model);
    auto *delegate = new RemainderRowDelegate(table);
    table->setItemDelegate(delegate);
    table->setVerticalScrollBar(new RemainderScroller(table));
    table->setMouseTracking(true);
    QPalette pal = table->palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    table->setPalette(pal);
    table->viewport()->setAutoFillBackground(false);
    QHeaderView *rows = table->verticalHeader();
    rows->setMinimumSectionSize(kGroupRowHeight);
    rows->setDefaultSectionSize(kFileRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *columns = table->horizontalHeader();
    columns->setMinimumSectionSize(20);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setSectionResizeMode(LeftoverTableModel::FolderColumn, QHeaderView::Stretch);
    columns->resizeSection(LeftoverTableModel::NameColumn, 250);
    columns->resizeSection(LeftoverTableModel::SizeColumn, 80);
    columns->resizeSection(LeftoverTableModel::RevealColumn, 40);

    connect(delegate, &RemainderRowDelegate::revealRequested, this,
            [this](const QModelIndex &index) { show_in_finder(index.row()); });
    connect(table, &QTableView::activated, this,
            [this](const QModelIndex &index) { show_in_finder(index.row()); });
    connect(m_model, &LeftoverTableModel::selectionChanged, this,
            &RemainderViewController::updateSelectionControls);
    connect(ui->backButton, &QPushButton::clicked, this, &RemainderViewController::back);
    connect(ui->switch_remove, &QPushButton::clicked, this, &RemainderViewController::remove);
    bindScreenKeys(this, ui->switch_remove, ui->backButton);
    connect(m_removal, &RemovalRunner::progressed, this, [this](int done, int total) {
        ui->removalProgress->setMaximum(std::max(total, 1));
        ui->removalProgress->setValue(done);
    });
    connect(m_removal, &RemovalRunner::finished, this, &RemainderViewController::removalFinished);

    // Until the results arrive: an empty table, the busy indicator, Remove disabled.
    m_app.state().setCommon_remove_size(0);
    ui->switch_remove->setEnabled(false);
    ui->totalLabel->clear();
    if (!m_searchFunction)
        m_searchFunction = [](ApplicationItem &record, platform::SettingsStore &settings,
                              const std::function<bool()> &cancelled) {
            return leftovers::searchLeftovers(record, settings, leftovers::SearchMode::Review,
                                              cancelled);
        };
    m_search->setObjectName(QStringLiteral("reviewSearch"));
    connect(m_search, &JobSignals::finished, this, &RemainderViewController::remainder_timer_proc);
    startSearch();
}

RemainderViewController::~RemainderViewController() = default;

namespace {

std::shared_ptr<RemainderViewController::SearchResults>
runReviewSearch(ApplicationItem record, const PathStyle &paths, platform::SettingsStore &settings,
                const std::vector<std::filesystem::path> &grantedItems,
                const RemainderViewController::Search &search, const JobControl &control) {
    auto out = std::make_shared<RemainderViewController::SearchResults>();
    out->record = std::move(record);
    const std::function<bool()> cancelled = control.cancelFlag();
    const leftovers::SearchResult result = search(out->record, settings, cancelled);
    out->unreadable = result.unreadable;
    if (result.cancelled || cancelled()) {
        out->cancelled = true;
        return out;
    }
    leftovers::Review review = leftovers::buildReview(
        out->record, settings, Application(settings).everyInstalledApplication(), true,
        result.listings.get());
    // What the removal would refuse starts unticked, with its reason: the same scope the
    // removal builds (the grants as they stand, and the dropped bundles).
    platform::DeletionScope scope = grants::GrantStore(settings).deletionScope();
    for (const std::filesystem::path &item : grantedItems)
        scope.addItem(item);
    review.markNotAllowed([&scope](const std::filesystem::path &p) { return scope.allows(p); });
    out->contents = makeReviewContents(review, paths);
    out->cancelled = cancelled();
    return out;
}

} // namespace

void RemainderViewController::startSearch() {
    if (!m_item) {
        // No item (nothing chosen): nothing to search, an empty review.
        remainder_timer_proc();
        return;
    }
    // The settings store belongs to the application, which outlives every worker (it
    // waits for the pool when it ends).
    platform::SettingsStore &settings = m_app.app_settings();
    m_search->start([record = *m_item, paths = pathStyle(settings), &settings,
                     granted = m_app.state().granted_items(),
                     search = m_searchFunction](const JobControl &control) mutable {
        return runReviewSearch(std::move(record), paths, settings, granted, search, control);
    });
}

bool RemainderViewController::searchFinished() const {
    return m_searchShown;
}

void RemainderViewController::remainder_timer_proc() {
    if (m_searchShown)
        return;
    const auto taken = m_search->takeResult();
    const std::shared_ptr<SearchResults> results =
        taken && *taken ? *taken : std::make_shared<SearchResults>();
    if (results->cancelled)
        return; // a search this screen cancelled: nothing of it is shown
    m_searchShown = true;
    ui->progress->hide();

    // The search's results belong to the item: hand them (and the company name it may
    // have rewritten) back to the shared record.
    if (m_item && taken) {
        m_item->setFiles(results->record.files(), results->record.weakRows());
        m_item->setSizes(results->record.sizes());
        m_item->setCompany_name(results->record.company_name());
    }
    m_model->setContents(std::move(results->contents));
    showUnreadableNotice(results->unreadable);

    QTableView *table = ui->tableviewR;
    table->clearSpans();
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->isGroupRow(row)) {
            table->verticalHeader()->resizeSection(row, kGroupRowHeight);
            table->setSpan(row, 0, 1, LeftoverTableModel::ColumnCount);
        }
    updateSelectionControls();
}

void RemainderViewController::showUnreadableNotice(
    const std::vector<std::filesystem::path> &folders) {
    if (folders.empty()) {
        ui->unreadableNotice->hide();
        return;
    }
    QStringList names;
    for (const auto &f : folders)
        names << shownPath(f, pathStyle(m_app.app_settings()));
    ui->unreadableNotice->setText(
        tr("These folders could not be read, so leftovers inside them are not listed: %1")
            .arg(names.join(QStringLiteral(", "))));
    ui->unreadableNotice->show();
}

void RemainderViewController::updateSelectionControls() {
    const leftovers::Selection &selection = m_model->selection();
    m_app.state().setCommon_remove_size(selection.common_remove_size());
    ui->totalLabel->setText(
        tr("Selected: %1").arg(platform::formatByteCount(selection.common_remove_size())));
    ui->switch_remove->setEnabled(!m_removal->isRunning() && selection.anySelected());
}

void RemainderViewController::back() {
    m_search->cancel();
    const int sheet = m_app.app_settings().integerForKey(screens::kSheet);
    if (sheet == 1)
        NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
    else if (sheet == 0)
        NotificationCenter::defaultCenter().post(screens::kHomeViewController);
}

void RemainderViewController::show_in_finder(int row) {
    const std::filesystem::path path = m_model->entryPath(row);
    if (!path.empty())
        platform::Workspace::shared().activateFileViewerSelectingURLs({path});
}

void RemainderViewController::remove() {
    const leftovers::Selection &selection = m_model->selection();
    if (!m_item || m_removal->isRunning() || !selection.anySelected())
        return;
    setRemoving(true);
    keepItemImage(m_item->app_icon()); // the outcome shows it after its file is gone
    m_app.setQuitGuard(this, [this] { askAboutQuitting(); });
    // The right to delete, built from the grants as they stand now and the dropped bundle.
    platform::DeletionScope scope = grants::GrantStore(m_app.app_settings()).deletionScope();
    for (const std::filesystem::path &item : m_app.state().granted_items())
        scope.addItem(item);
    m_removal->start(std::move(scope), *m_item, selection.prepare(), selection.clean_size(),
                     selection.common_remove_size());
}

void RemainderViewController::askAboutQuitting() {
    if (!m_removal->isRunning())
        return;
    if (m_quitQuestion) {
        m_quitQuestion->raise();
        m_quitQuestion->activateWindow();
        return;
    }
    auto *question = new QMessageBox(QMessageBox::Question, tr("Removal in progress"),
                                     tr("Entries are still being removed. Stop after the current "
                                        "entry, or keep removing?"),
                                     QMessageBox::NoButton, window());
    question->setObjectName(QStringLiteral("quitQuestion"));
    question->setInformativeText(
        tr("When it stops, what was not removed yet stays where it is and is listed."));
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    QPushButton *stop =
        question->addButton(tr("Stop After the Current Entry"), QMessageBox::DestructiveRole);
    stop->setObjectName(QStringLiteral("stopRemoval"));
    QPushButton *keep = question->addButton(tr("Keep Removing"), QMessageBox::RejectRole);
    keep->setObjectName(QStringLiteral("keepRemoving"));
    question->setDefaultButton(keep);
    question->setEscapeButton(keep);
    connect(stop, &QPushButton::clicked, this, [this] {
        m_removal->requestStop();
        ui->totalLabel->setText(tr("Stopping after the current entry…"));
    });
    m_quitQuestion = question;
    question->open();
}

void RemainderViewController::setRemoving(bool removing) {
    ui->removalProgress->setVisible(removing);
    ui->tableviewR->setEnabled(!removing);
    ui->backButton->setEnabled(!removing);
    if (removing)
        ui->switch_remove->setEnabled(false);
    else
        updateSelectionControls();
}

void RemainderViewController::removalFinished(const leftovers::RemovalOutcome &outcome) {
    m_app.clearQuitGuard(this);
    if (m_quitQuestion)
        m_quitQuestion->close(); // the question is moot: the removal is over
    if (outcome.refusedRunning) {
        // Nothing was deleted: the review stays, with the notice over it.
        setRemoving(false);
        if (m_viewcontrollerL)
            dismiss(m_viewcontrollerL);
        if (QWidget *notice = m_app.storyboard().instantiate(screens::kLaunched, this)) {
            m_viewcontrollerL = notice;
            presentAsSheet(notice, this);
        }
        return;
    }
    m_app.state().setRemainder_urls(outcome.remainder_urls);
    m_app.state().setCommon_remove_size(outcome.common_remove_size);
    m_app.state().setLast_removal(outcome);
    NotificationCenter::defaultCenter().post(screens::kRemoveViewController);
}

} // namespace zembra
