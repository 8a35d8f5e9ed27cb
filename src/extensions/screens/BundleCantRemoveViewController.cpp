#include "extensions/screens/BundleCantRemoveViewController.h"

#include "platform/Workspace.h"
#include "shell/AppDelegate.h"

#include "ui_BundleCantRemove.h"

namespace zembra {

BundleCantRemoveViewController::BundleCantRemoveViewController(AppDelegate &delegate,
                                                               QWidget *parent)
    : QWidget(parent), m_appDelegate(delegate), m_ui(std::make_unique<Ui::BundleCantRemove>()) {
    m_ui->setupUi(this);
    connect(m_ui->show_in_finder, &QPushButton::clicked, this,
            &BundleCantRemoveViewController::show_in_finder);
}

BundleCantRemoveViewController::~BundleCantRemoveViewController() = default;

void BundleCantRemoveViewController::show_in_finder() {
    std::vector<std::filesystem::path> paths;
    for (const FileEntry &entry : m_appDelegate.state().remainder_urls())
        if (entry.isFileURL())
            paths.push_back(entry.path());
    platform::Workspace::shared().activateFileViewerSelectingURLs(paths);
}

} // namespace zembra
