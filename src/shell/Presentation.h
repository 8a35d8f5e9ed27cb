#pragma once
// How scenes other than the main screens are shown: sheets are window-modal dialogs over
// the main window with a close control; popovers are Qt::Popup widgets (they close on a
// click outside) anchored at a rectangle given in AppKit view coordinates (origin at the
// bottom left of the view), placed on that rectangle's upper edge. GUI thread only.

#include <QRect>
#include <QRectF>

class QDialog;
class QWidget;

namespace zembra {

// Wraps `content` in a window-modal dialog over the window of `over` and shows it. The
// dialog owns `content` and deletes itself when closed. A Close button is added unless
// the content brings its own way out (`withCloseButton` false). Returns the dialog.
QDialog *presentAsSheet(QWidget *content, QWidget *over, bool withCloseButton = true);

// Shows `content` as a popup whose arrow side touches the upper edge of `appKitRect`,
// a rectangle in the AppKit coordinates of `view`. The popup owns `content` and deletes
// itself when closed. Returns the popup.
QWidget *showPopover(QWidget *content, QWidget *view, const QRectF &appKitRect);

// `appKitRect` (origin bottom left, y up) in Qt's coordinates of a view `viewHeight` high.
QRect fromAppKit(const QRectF &appKitRect, int viewHeight);

// Closes the sheet or popover that holds `content` (a scene dismissing itself).
void dismiss(QWidget *content);

} // namespace zembra
