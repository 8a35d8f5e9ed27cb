#include "extensions/screens/ConfirmRemovalSheet.h"

#include "extensions/screens/RemovalListModel.h"
#include "platform/ByteCountFormatter.h"
#include "platform/VisibleText.h"
#include "shell/Presentation.h"

#include "ui_ConfirmRemovalSheet.h"

#include <QHeaderView>

#include <map>

namespace zembra {

ConfirmRemovalSheet::ConfirmRemovalSheet(const QString &label, const std::vector<FileEntry> &files,
                                         const std::vector<SizeEntry> &sizes,
                                         const std::vector<bool> &otherApplication,
                                         const std::filesystem::path &itself, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ConfirmRemovalSheet>()) {
    m_ui->setupUi(this);
    std::map<std::filesystem::path, bool> other;
    for (size_t i = 0; i < files.size() && i < otherApplication.size(); ++i)
        if (files[i].isFileURL() && otherApplication[i])
            other[files[i].path()] = true;
    m_model = new RemovalListModel(
        files, sizes, itself, [&other](const std::filesystem::path &p) { return !other.count(p); },
        this);
    m_ui->listView->setModel(m_model);
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->isGroupRow(row))
            m_ui->listView->setFirstColumnSpanned(row, {}, false);
    m_ui->listView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_ui->listView->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_ui->listView->header()->setStretchLastSection(false);

    m_ui->message->setText(
        tr("Removing “%1” deletes the entries ticked below, outright. Untick what should stay; "
           "entries that seem to belong to another application, or that only a short or common "
           "name matched, start unticked.")
            .arg(platform::visiblyEscaped(label)));
    connect(m_model, &RemovalListModel::tickedChanged, this, &ConfirmRemovalSheet::updateTotal);
    connect(m_ui->removeButton, &QPushButton::clicked, this, &ConfirmRemovalSheet::confirm);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ConfirmRemovalSheet::reject);
    updateTotal();
}

ConfirmRemovalSheet::~ConfirmRemovalSheet() {
    // Closed by other means than the two buttons: nothing is removed.
    if (!m_decided) {
        m_decided = true;
        emit decided(false, {});
    }
}

void ConfirmRemovalSheet::updateTotal() {
    m_ui->total->setText(
        tr("To be removed: %1").arg(platform::formatByteCount(m_model->tickedBytes())));
}

void ConfirmRemovalSheet::confirm() {
    if (m_decided)
        return;
    m_decided = true;
    m_confirmed = true;
    emit decided(true, m_model->tickedFiles());
    dismiss(this);
}

void ConfirmRemovalSheet::reject() {
    if (m_decided)
        return;
    m_decided = true;
    emit decided(false, {});
    dismiss(this);
}

} // namespace zembra
