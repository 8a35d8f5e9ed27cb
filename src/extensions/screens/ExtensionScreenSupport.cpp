#include "extensions/screens/ExtensionScreenSupport.h"

#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/PluginsTableCellDelegate.h"
#include "grants/GrantKeys.h"
#include "platform/SettingsStore.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>

namespace zembra::extensionscreens {

void setUpList(QListView *view, ExtensionListModel *model) {
    view->setModel(model);
    view->setItemDelegate(new PluginsTableCellDelegate(view));
    view->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    view->viewport()->setAutoFillBackground(false);
}

int selectedRow(const QAbstractItemView *view) {
    const auto rows =
        view->selectionModel() ? view->selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void revealSelected(const QAbstractItemView *view, const ExtensionListModel &model) {
    const auto record = model.recordAt(selectedRow(view));
    if (record && record->url())
        platform::Workspace::shared().activateFileViewerSelectingURLs({*record->url()});
}

void presentScene(AppDelegate &delegate, const QString &identifier, QWidget *screen) {
    if (QWidget *scene = delegate.storyboard().instantiate(identifier, nullptr))
        presentAsSheet(scene, screen);
}

void showPopoverScene(AppDelegate &delegate, const QString &identifier, QPushButton *anchor) {
    if (QWidget *scene = delegate.storyboard().instantiate(identifier, nullptr))
        showPopover(scene, anchor, QRectF(0, 0, anchor->width(), anchor->height()));
}

bool showLaunchHint(AppDelegate &delegate, const QString &identifier, QPushButton *anchor) {
    auto &settings = delegate.app_settings();
    if (settings.integerForKey(screens::kAppLaunchCount) < screens::kHintLaunchCount ||
        settings.integerForKey(grants::kAllowAny) == 1)
        return false;
    showPopoverScene(delegate, identifier, anchor);
    return true;
}

} // namespace zembra::extensionscreens
