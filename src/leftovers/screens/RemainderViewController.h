#pragma once
// The leftover review: runs the leftover search of the current item on a worker, shows
// the review (the search's rows, flagged where another installed application uses them,
// and the "Possibly related" group) as a grouped table with check boxes, and hands the
// selection to the removal. Flagged and related rows start unticked.
//
// Every visit makes a new screen and a new search. The search runs as this screen's job
// (shell/Job.h) on a fresh copy of the shared item, so two visits never search one record
// at once; the worker owns that copy and hands the lists and the prepared rows back as one
// value, taken over on the GUI thread as soon as the job signals its end. Leaving the
// screen (Back, quitting, another item) destroys it, which cancels the search: the worker
// stops at its next check and its result is dropped. While a removal runs, quitting asks
// this screen first (the removal is never left to go on unseen). GUI thread only.

#include "leftovers/LeftoverSearch.h"
#include "leftovers/Removal.h"
#include "shell/Job.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

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
    // The leftover search the review runs on its worker (the core's by default; tests
    // pass one that waits). It must stop early once `cancelled` answers true.
    using Search = std::function<leftovers::SearchResult(ApplicationItem &record,
                                                         platform::SettingsStore &settings,
                                                         const std::function<bool()> &cancelled)>;

    // `removal` are the services the removal runs on (the platform's by default).
    explicit RemainderViewController(AppDelegate &app, leftovers::RemovalServices removal = {},
                                     QWidget *parent = nullptr, Search search = {});
    ~RemainderViewController() override;

    // Takes the search's results over; called when its job has finished.
    void remainder_timer_proc();
    // The search has ended and its results are shown.
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
    struct SearchResults;

private:
    void startSearch();
    void updateSelectionControls();
    void setRemoving(bool removing);
    void removalFinished(const leftovers::RemovalOutcome &outcome);

    std::unique_ptr<Ui::RemainderViewController> ui;
    AppDelegate &m_app;
    std::shared_ptr<ApplicationItem> m_item;
    Search m_searchFunction;
    Job<std::shared_ptr<SearchResults>> *m_search;
    bool m_searchShown = false;
    LeftoverTableModel *m_model;
    RemovalRunner *m_removal;
    QPointer<QWidget> m_viewcontrollerL;
    QPointer<QWidget> m_quitQuestion;
};

} // namespace zembra
