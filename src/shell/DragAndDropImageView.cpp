#include "shell/DragAndDropImageView.h"

#include "catalogue/Application.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>

namespace zembra {

DragAndDropImageView::DragAndDropImageView(QWidget *parent) : WhiteImageView(parent) {
    setAcceptDrops(true);
}

std::optional<std::filesystem::path>
DragAndDropImageView::draggedApplication(const QMimeData *data) {
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

void DragAndDropImageView::dragEnterEvent(QDragEnterEvent *event) {
    if (draggedApplication(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DragAndDropImageView::dragMoveEvent(QDragMoveEvent *event) {
    if (draggedApplication(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

QString DragAndDropImageView::refusal(const std::filesystem::path &bundle) {
    if (platform::isRealDirectory(bundle))
        return {};
    return tr("%1 is not an application bundle: a bundle is a folder")
        .arg(platform::visiblyEscaped(bundle.filename().native()));
}

void DragAndDropImageView::dropEvent(QDropEvent *event) {
    AppDelegate *appDelegate = AppDelegate::shared();
    const auto bundle = draggedApplication(event->mimeData());
    if (!appDelegate || !bundle) {
        event->ignore();
        return;
    }
    // A file, FIFO or link named "X.app" is no application: nothing is granted or searched.
    if (const QString why = refusal(*bundle); !why.isEmpty()) {
        event->ignore();
        auto *notice = new QLabel(why);
        notice->setWordWrap(true);
        notice->setTextFormat(Qt::PlainText);
        notice->setObjectName(QStringLiteral("DropRefused"));
        notice->setAccessibleName(why);
        notice->setWindowTitle(tr("Not an application"));
        presentAsSheet(notice, this);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    appDelegate->state().grantItem(*bundle);
    appDelegate->state().setItem(Application(appDelegate->app_settings()).application(*bundle));
    NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
}

} // namespace zembra
