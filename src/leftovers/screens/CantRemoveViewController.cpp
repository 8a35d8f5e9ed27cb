#include "leftovers/screens/CantRemoveViewController.h"

#include "ui_CantRemoveViewController.h"

#include "platform/Workspace.h"
#include "shell/AppDelegate.h"

namespace zembra {

CantRemoveViewController::CantRemoveViewController(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CantRemoveViewController>()), m_app(app) {
    ui->setupUi(this);
    connect(ui->show_in_finder, &QPushButton::clicked, this,
            &CantRemoveViewController::show_in_finder);
}

CantRemoveViewController::~CantRemoveViewController() = default;

void CantRemoveViewController::show_in_finder() {
    std::vector<std::filesystem::path> paths;
    for (const FileEntry &e : m_app.state().remainder_urls())
        if (e.isFileURL())
            paths.push_back(e.path());
    platform::Workspace::shared().activateFileViewerSelectingURLs(paths);
}

} // namespace zembra
