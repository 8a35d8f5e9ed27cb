#pragma once
// The removed applications ("RemovedApplications"): the applications the background
// watcher saw leave without Uninstaller zembra, that are not installed again and whose
// leftover search still finds something. Selecting one and pressing Review makes a fresh
// copy of it the shared item and opens its review.
//
// Every visit makes a new screen and searches afresh. One job on a worker reads the
// watcher's snapshot, lists what is installed and searches each gone application in
// turn, handing each one with leftovers over as it is found; each arrives in the list as
// soon as the GUI thread takes it. Leaving the screen stops the job after the search in
// progress, and nothing it finds afterwards reaches the destroyed screen. GUI thread only.

#include "leftovers/screens/RemovedApplicationsModel.h"
#include "shell/Job.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace Ui {
class RemovedApplicationsViewController;
}

namespace zembra {

class AppDelegate;

class RemovedApplicationsViewController : public QWidget {
    Q_OBJECT
public:
    // `settingsFolder` holds the watcher's snapshot of the remembered applications.
    RemovedApplicationsViewController(AppDelegate &delegate, const QString &settingsFolder,
                                      QWidget *parent = nullptr);
    ~RemovedApplicationsViewController() override;

    // Every search has ended and its results are in the list.
    bool searchFinished() const;

    // The buttons' actions.
    void review();
    void home_back();

private:
    // Takes the applications found so far into the list.
    void takeFound();
    void searchDidFinish();
    void tableViewSelectionDidChange();
    void showState();

    std::unique_ptr<Ui::RemovedApplicationsViewController> ui;
    AppDelegate &m_delegate;
    RemovedApplicationsModel *m_model;
    Job<std::vector<RemovedApplicationsModel::Row>> *m_job;
    bool m_finished = false;
};

} // namespace zembra
