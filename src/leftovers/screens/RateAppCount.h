#pragma once
// The rating sheet offered at every tenth launch. Its store button silences every later
// prompt and leaves the sheet open; the sheet's own close control dismisses it.
// GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class ReateAppCount;
}

namespace zembra {

class AppDelegate;

class ReateAppCount : public QWidget {
    Q_OBJECT
public:
    explicit ReateAppCount(AppDelegate &app, QWidget *parent = nullptr);
    ~ReateAppCount() override;

    void yesApp();

private:
    std::unique_ptr<Ui::ReateAppCount> ui;
    AppDelegate &m_app;
};

} // namespace zembra
