#pragma once
// The removed applications ("RemovedApplications"): the applications the background
// watcher saw leave without Uninstaller zembra, that are not installed again and whose
// leftover search still finds something. Selecting one and pressing Review makes a fresh
// copy of it the shared item and opens its review.
//
// Every visit makes a new screen and searches afresh. One job on a worker reads the
// watcher's snapshot, lists what is installed and searches each gone application in
// turn, handing each one with leftovers over as it is found; a 0.3 s timer on the GUI
// thread takes them into the list. Leaving the screen stops the job after the search in
// progress. GUI thread only.

#include <QString>
#include <QWidget>

#include <memory>

class QTimer;

namespace Ui {
class RemovedApplicationsViewController;
}

namespace zembra {

class AppDelegate;
class RemovedApplicationsModel;

class RemovedApplicationsViewController : public QWidget {
    Q_OBJECT
public:
    // `settingsFolder` holds the watcher's snapshot of the remembered applications.
    RemovedApplicationsViewController(AppDelegate &delegate, const QString &settingsFolder,
                                      QWidget *parent = nullptr);
    ~RemovedApplicationsViewController() override;

    // One tick of the poll: takes the applications found so far into the list.
    void removed_timer_proc();
    // Every search has ended and its results are in the list.
    bool searchFinished() const;

    // The buttons' actions.
    void review();
    void home_back();

    // What the worker hands over (defined in the source file).
    struct SearchJob;

private:
    void tableViewSelectionDidChange();
    void showState();

    std::unique_ptr<Ui::RemovedApplicationsViewController> ui;
    AppDelegate &m_delegate;
    RemovedApplicationsModel *m_model;
    std::shared_ptr<SearchJob> m_job;
    QTimer *m_timer;
    bool m_finished = false;
};

} // namespace zembra
