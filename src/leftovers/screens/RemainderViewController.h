#pragma once
// The leftover review: runs the leftover search of the current item on a worker, shows
// the review (the search's rows, flagged where another installed application uses them,
// and the "Possibly related" group) as a grouped table with check boxes, and hands the
// selection to the removal. Flagged and related rows start unticked.
//
// Every visit makes a new screen and a new search. The search works on a fresh copy of
// the shared item, so two visits never search one record at once; the worker writes only
// its own job (the lists, the prepared rows, an atomic done flag) and a 0.3 s timer on the
// GUI thread takes the results over. Leaving the screen does not stop the search; the job
// outlives the screen. While a removal runs, quitting asks this screen first (the
// removal is never left to go on unseen). GUI thread only.

#include "leftovers/Removal.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <vector>

class QTimer;

namespace Ui {
class RemainderViewController;
}

namespace zembra {

class AppDelegate;
class ApplicationItem;
class LeftoverTableModel;
class RemovalRunner;

class RemainderViewController : public QWidget {
    Q_OBJECT
public:
    // `removal` are the services the removal runs on (the platform's by default).
    explicit RemainderViewController(AppDelegate &app, leftovers::RemovalServices removal = {},
                                     QWidget *parent = nullptr);
    ~RemainderViewController() override;

    // One tick of the poll: takes the results over once the search has called back.
    void remainder_timer_proc();
    // The search has called back (the results may not be taken over yet).
    bool searchFinished() const;
    // Shows the notice naming the granted folders the search could not read; hidden for
    // none.
    void showUnreadableNotice(const std::vector<std::filesystem::path> &folders);

    // The buttons' actions.
    void back();
    void remove();
    void show_in_finder(int row);
    // Quitting while the removal runs: asks whether to stop after the current entry or
    // to keep removing (a window-modal question; the window stays open either way).
    void askAboutQuitting();

    // What one search hands over (defined in the source file).
    struct SearchJob;

private:
    void startSearch();
    void updateSelectionControls();
    void setRemoving(bool removing);
    void removalFinished(const leftovers::RemovalOutcome &outcome);

    std::unique_ptr<Ui::RemainderViewController> ui;
    AppDelegate &m_app;
    std::shared_ptr<ApplicationItem> m_item;
    std::shared_ptr<SearchJob> m_job;
    QTimer *m_timer;
    LeftoverTableModel *m_model;
    RemovalRunner *m_removal;
    QPointer<QWidget> m_viewcontrollerL;
    QPointer<QWidget> m_quitQuestion;
};

} // namespace zembra
