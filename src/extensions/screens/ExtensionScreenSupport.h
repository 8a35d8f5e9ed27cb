#pragma once
// Pieces the three extension list screens share: the list's model/delegate set-up, the
// selected row, revealing the selected item, and the scenes shown when a list appears
// (the empty-list sheet and the launch-count hint). GUI thread only.

#include <QString>

class QAbstractItemView;
class QListView;
class QPushButton;
class QWidget;

namespace zembra {

class AppDelegate;
class ExtensionListModel;

namespace extensionscreens {

// Gives `view` the model and the row delegate, with a clear background.
void setUpList(QListView *view, ExtensionListModel *model);
// The selected row; -1 when none.
int selectedRow(const QAbstractItemView *view);
// Opens the file viewer with the selected record's item selected.
void revealSelected(const QAbstractItemView *view, const ExtensionListModel &model);
// The scene `identifier` as a sheet over `screen`.
void presentScene(AppDelegate &delegate, const QString &identifier, QWidget *screen);
// The scene `identifier` as a popover at `anchor`'s upper edge.
void showPopoverScene(AppDelegate &delegate, const QString &identifier, QPushButton *anchor);
// From the seventh launch on, while the whole disk is not granted, the hint `identifier`
// (what the system folders would add) as a popover at `anchor`; true when shown.
bool showLaunchHint(AppDelegate &delegate, const QString &identifier, QPushButton *anchor);

} // namespace extensionscreens
} // namespace zembra
