#pragma once
// The rating sheet offered at every tenth launch. Its store button silences every later
// prompt and leaves the sheet open; the sheet's own close control dismisses it.
// GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class RateAppCount;
}

namespace zembra {

class AppDelegate;

class RateAppCount : public QWidget {
    Q_OBJECT
public:
    explicit RateAppCount(AppDelegate &app, QWidget *parent = nullptr);
    ~RateAppCount() override;

    void yesApp();

private:
    std::unique_ptr<Ui::RateAppCount> ui;
    AppDelegate &m_app;
};

} // namespace zembra
