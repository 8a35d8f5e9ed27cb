#pragma once
// The rating popover offered at every tenth removal. Both answers that lead to the store
// page silence every later prompt; the others only close the popover (through the
// "close_rate_app" notification, which the outcome screen observes). GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class RateAppViewController;
}

namespace zembra {

class AppDelegate;

class RateAppViewController : public QWidget {
    Q_OBJECT
public:
    explicit RateAppViewController(AppDelegate &app, QWidget *parent = nullptr);
    ~RateAppViewController() override;

    void rateApp();
    void Dislike();
    void no();
    void close();

private:
    std::unique_ptr<Ui::RateAppViewController> ui;
    AppDelegate &m_app;
};

// Opens the store page, then marks the application rated (written to disk at once).
void rateInStore(AppDelegate &app);

} // namespace zembra
