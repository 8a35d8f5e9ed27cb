#pragma once
// The applications list ("Applications"): the installed applications, read afresh each
// time the screen is made, narrowed by the search field; selecting a row makes it the
// shared item at once, so a later filter cannot change what the next button hands on.
// The bundles are read on a worker and arrive in batches: the first rows show at once,
// the side column says the list is still being read, and search, selection and keys work
// while rows arrive (a selected row keeps its application as rows go in above it). Leaving
// the screen (destroying it) or a new read cancels the read under way. When nothing is
// installed the "Installedapps" sheet explains why, once the read is complete.
// GUI thread only.

#include "catalogue/Application.h"
#include "shell/Job.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class ApplicationsViewController;
}

namespace zembra {

class AppDelegate;
class ApplicationsModel;

class ApplicationsViewController : public QWidget {
    Q_OBJECT
public:
    // How the worker reads the list: Application::readApplications unless a test put a
    // slower or paused reader in its place (setReader; an empty function restores it).
    using Reader = std::function<void(const ApplicationsQuery &, size_t batchSize,
                                      const std::function<void(ApplicationList)> &report,
                                      const std::function<bool()> &cancelled)>;
    static void setReader(Reader reader);
    // How many bundles go to the list at a time.
    static constexpr size_t kBatchSize = 64;

    explicit ApplicationsViewController(AppDelegate &delegate, QWidget *parent = nullptr);
    ~ApplicationsViewController() override;

    // Reads the list again from the start, cancelling the read under way.
    void reload();
    // The read is complete and every application is in the list.
    bool loaded() const { return !m_loading; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void viewDidLoad();
    void viewDidAppear();
    void takeBatches();
    void loadDidFinish();
    void showState();
    void controlTextDidChange(const QString &text);
    void tableViewSelectionDidChange();
    void home_back();
    void remainder_next();

    std::unique_ptr<Ui::ApplicationsViewController> ui;
    AppDelegate &m_appDelegate;
    Application m_application;
    ApplicationsModel *m_model;
    Job<ApplicationList> *m_load = nullptr;
    bool m_loading = false;
    bool m_appeared = false;
};

} // namespace zembra
