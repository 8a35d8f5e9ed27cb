#pragma once
// The removal road shared by the plug-in and the Safari extension screens: the remove
// button's press, the search for what would be deleted, the confirmation sheet, the
// deletion, and the end of the poll, which drops the removed record's row from the list
// (the record being removed is remembered, so a selection change meanwhile cannot drop
// another row), disables the remove button, hides the busy indicator and shows the
// "BundleCantRemove" popover when the item itself remained. Presses while a removal is
// on its way are ignored; quitting during the deletion quits once it has ended. Owned by
// its screen; GUI thread only.

#include "extensions/screens/ExtensionRemover.h"

#include <QObject>

#include <functional>

class QAbstractItemView;
class QProgressBar;
class QPushButton;
class QWidget;

namespace zembra {

class AppDelegate;
class ExtensionListModel;

class ExtensionRemovalFlow : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QWidget *screen = nullptr;
        QAbstractItemView *table = nullptr;
        QPushButton *removeButton = nullptr;
        QProgressBar *progress = nullptr;
    };

    ExtensionRemovalFlow(ExtensionRemover::Kind kind, AppDelegate &delegate,
                         ExtensionListModel &model, Controls controls, QObject *parent = nullptr);

    // Checked before a removal starts and again when it is confirmed; false stops it
    // (Safari running), and nothing is deleted. Optional.
    void setMayStart(std::function<bool()> mayStart) { m_mayStart = std::move(mayStart); }

    // The remove button's action.
    void removeSelected();
    bool isBusy() const { return m_remover.isBusy(); }

signals:
    // The poll has finished: the row is gone and the screen is idle again.
    void removalFinished();

private:
    void showConfirmation();
    void finish();

    AppDelegate &m_delegate;
    ExtensionListModel &m_model;
    Controls m_controls;
    ExtensionRemover m_remover;
    std::function<bool()> m_mayStart;
    bool m_quitWhenDone = false; // quitting was asked during the deletion
};

} // namespace zembra
