#pragma once
// The whole-disk screen ("OptionalPreferences"): asks for the root folder of the startup
// disk, which switches the search of the system-wide locations on. Its button is disabled
// while that grant is in place; choosing another folder still switches the search on
// and leaves the button enabled. Closed by its sheet's own control. GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class OptionalPurpose;
}

namespace zembra {

class AppDelegate;

class OptionalPurpose : public QWidget {
    Q_OBJECT
public:
    explicit OptionalPurpose(AppDelegate &delegate, QWidget *parent = nullptr);
    ~OptionalPurpose() override;

private:
    void viewDidLoad();
    void AllowmacOS();

    std::unique_ptr<Ui::OptionalPurpose> ui;
    AppDelegate &m_delegate;
};

} // namespace zembra
