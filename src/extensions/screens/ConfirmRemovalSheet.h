#pragma once
// The sheet shown before a plug-in or a Safari extension is removed: every entry the
// removal found, grouped, with sizes and ticks (entries that name another application
// start unticked), and Remove / Cancel. Only the ticked entries are handed on. The sheet
// owns its model; the screen presents it and listens for `decided`. GUI thread only.

#include "catalogue/FileEntry.h"

#include <QWidget>

#include <filesystem>
#include <memory>
#include <vector>

namespace Ui {
class ConfirmRemovalSheet;
}

namespace zembra {

class RemovalListModel;

class ConfirmRemovalSheet : public QWidget {
    Q_OBJECT
public:
    ConfirmRemovalSheet(const QString &label, const std::vector<FileEntry> &files,
                        const std::vector<SizeEntry> &sizes,
                        const std::vector<bool> &otherApplication,
                        const std::filesystem::path &itself, QWidget *parent = nullptr);
    ~ConfirmRemovalSheet() override;

    RemovalListModel *model() const { return m_model; }
    bool confirmed() const { return m_confirmed; }

    // Remove (as the button does) / Cancel.
    void confirm();
    void reject();

signals:
    // Once: Remove with the ticked entries, or Cancel (also when the sheet is closed).
    void decided(bool remove, std::vector<FileEntry> ticked);

private:
    void updateTotal();

    std::unique_ptr<Ui::ConfirmRemovalSheet> m_ui;
    RemovalListModel *m_model;
    bool m_confirmed = false;
    bool m_decided = false;
};

} // namespace zembra
