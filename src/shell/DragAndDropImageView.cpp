#include "shell/DragAndDropImageView.h"

#include "catalogue/Application.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>

namespace zembra {

DragAndDropImageView::DragAndDropImageView(QWidget *parent) : WhiteImageView(parent)
{
    setAcceptDrops(true);
}

std::optional<std::filesystem::path> DragAndDropImageView::draggedApplication(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return std::nullopt;
    // The path's bytes as the file manager gave them, not rebuilt from display text.
    std::filesystem::path path(QFile::encodeName(urls.front().toLocalFile()).toStdString());
    // "Foo.app/" names the same bundle; its extension is that of its last component.
    if (!path.has_filename() && path.has_parent_path())
        path = path.parent_path();
    if (platform::pathExtension(path) != QLatin1String("app"))
        return std::nullopt;
    return platform::absolutePath(path);
}

void DragAndDropImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (draggedApplication(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DragAndDropImageView::dragMoveEvent(QDragMoveEvent *event)
{
    if (draggedApplication(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DragAndDropImageView::dropEvent(QDropEvent *event)
{
    AppDelegate *appDelegate = AppDelegate::shared();
    const auto bundle = draggedApplication(event->mimeData());
    if (!appDelegate || !bundle) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    platform::FolderAccess::grantItem(*bundle);
    appDelegate->state().setItem(Application(appDelegate->app_settings()).application(*bundle));
    NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
}

} // namespace zembra
