#include "extensions/screens/ExtensionRemovalFlow.h"

#include "extensions/screens/ConfirmRemovalSheet.h"
#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/ExtensionScreenSupport.h"
#include "leftovers/RemovalOutcome.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"
#include "shell/AppDelegate.h"
#include "shell/Presentation.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <utility>

namespace zembra {

ExtensionRemovalFlow::ExtensionRemovalFlow(ExtensionRemover::Kind kind, AppDelegate &delegate,
                                           ExtensionListModel &model, Controls controls,
                                           QObject *parent)
    : QObject(parent), m_delegate(delegate), m_model(model), m_controls(controls),
      m_remover(kind, delegate.app_settings(), delegate.state()) {
    connect(&m_remover, &ExtensionRemover::foundReady, this,
            &ExtensionRemovalFlow::showConfirmation);
    connect(&m_remover, &ExtensionRemover::finished, this, &ExtensionRemovalFlow::finish);
    if (m_controls.progress)
        m_controls.progress->hide();
}

void ExtensionRemovalFlow::removeSelected() {
    if (m_remover.isBusy())
        return; // one removal at a time: the press is ignored until the poll has finished
    // Without a selected row there is nothing to remove.
    const auto record = m_model.recordAt(extensionscreens::selectedRow(m_controls.table));
    if (!record || (m_mayStart && !m_mayStart()))
        return;
    m_remover.start(record);
}

void ExtensionRemovalFlow::showConfirmation() {
    const auto &found = m_remover.found();
    const auto record = m_remover.record();
    if (!found.unreadable.empty()) {
        // An incomplete list is not offered for deletion: say which folder and stop.
        m_remover.cancel();
        if (m_controls.progress)
            m_controls.progress->hide();
        auto *notice = new QLabel(
            tr("Nothing was removed: %1 could not be read, so what the removal would "
               "delete is not known.")
                .arg(platform::visiblyEscaped(platform::displayPath(found.unreadable.front()))));
        notice->setWordWrap(true);
        notice->setAccessibleName(tr("Folder could not be read"));
        notice->setWindowTitle(tr("Cannot remove"));
        presentAsSheet(notice, m_controls.screen);
        return;
    }
    auto *sheet = new ConfirmRemovalSheet(record->label().value_or(QString()), found.files,
                                          found.sizes, found.otherApplication,
                                          record->url().value_or(std::filesystem::path()));
    connect(sheet, &ConfirmRemovalSheet::decided, this,
            [this](bool remove, std::vector<FileEntry> ticked) {
                // Checked again: Safari may have been started while the sheet was open.
                if (remove && (!m_mayStart || m_mayStart())) {
                    // Busy from the confirmation on: the deletion is what takes the time.
                    if (m_controls.progress)
                        m_controls.progress->show();
                    // Quitting meanwhile waits for the deletion with the window up, then
                    // quits: a plug-in is not left half removed.
                    m_delegate.setQuitGuard(this, [this] { m_quitWhenDone = true; });
                    m_remover.remove(std::move(ticked));
                    return;
                }
                m_remover.cancel();
                if (m_controls.progress)
                    m_controls.progress->hide();
            });
    presentAsSheet(sheet, m_controls.screen, false); // Cancel is its way out
}

void ExtensionRemovalFlow::finish() {
    m_delegate.clearQuitGuard(this);
    if (std::exchange(m_quitWhenDone, false)) {
        m_delegate.terminateApp();
        return;
    }
    const auto record = m_remover.record();
    if (m_controls.progress)
        m_controls.progress->hide();
    // Disabled first: dropping the row may already move the selection to its neighbour.
    m_controls.removeButton->setEnabled(false);
    if (record)
        m_model.removeRecord(record.get());
    // The row the list highlights now (the removed one's neighbour) is the selected one,
    // so Remove and the reveal act on what the user sees.
    if (QItemSelectionModel *selection = m_controls.table->selectionModel()) {
        const QModelIndex current = m_controls.table->currentIndex();
        if (current.isValid())
            selection->select(current,
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selection->clearSelection();
    }

    if (leftovers::remainderStands(m_delegate.state().remainder_urls())) {
        if (QWidget *scene =
                m_delegate.storyboard().instantiate(screens::kBundleCantRemove, nullptr)) {
            const QRectF bounds(0, 0, m_controls.removeButton->width(),
                                m_controls.removeButton->height());
            showPopover(scene, m_controls.removeButton, bounds);
        }
    }
    emit removalFinished();
}

} // namespace zembra
