#pragma once
// The notice that Safari is running ("LaunchedSafariExtensions", a sheet over the Safari
// extension list): nothing is removed while it runs. Shows Safari's compass image.
// GUI thread only.

#include <QWidget>

#include <memory>

namespace Ui {
class LaunchedSafariExtensions;
}

namespace zembra {

class AppDelegate;

class LaunchedSafari : public QWidget {
    Q_OBJECT
public:
    explicit LaunchedSafari(AppDelegate &delegate, QWidget *parent = nullptr);
    ~LaunchedSafari() override;

private:
    std::unique_ptr<Ui::LaunchedSafariExtensions> m_ui;
};

} // namespace zembra
