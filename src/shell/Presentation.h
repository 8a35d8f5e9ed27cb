#pragma once
// How scenes other than the main screens are shown: sheets are window-modal dialogs over
// the main window with a close control; popovers are small frameless windows (they close
// on Escape and when another window takes the focus) anchored at a rectangle given in
// AppKit view coordinates (origin at the bottom left of the view), placed on that
// rectangle's upper edge. Both are windows a screen reader lists, with the scene's title
// as their name, and both take the keyboard focus. The main window's application-wide
// shortcuts (Quit, the whole-disk sheet) keep working while a sheet blocks the window.
// GUI thread only.

#include <QRect>
#include <QRectF>

class QDialog;
class QWidget;

namespace zembra {

// Wraps `content` in a window-modal dialog over the window of `over` and shows it. The
// dialog owns `content` and deletes itself when closed. A Close button is added unless
// the content brings its own way out (`withCloseButton` false). Returns the dialog.
QDialog *presentAsSheet(QWidget *content, QWidget *over, bool withCloseButton = true);

// A sheet that only its content can close (through `dismiss`): no Close button, and
// neither Escape nor the window's close control dismisses it.
QDialog *presentAsLastingSheet(QWidget *content, QWidget *over);

// Shows `content` as a popup whose arrow side touches the upper edge of `appKitRect`,
// a rectangle in the AppKit coordinates of `view`. The popup owns `content` and deletes
// itself when closed. Returns the popup.
QWidget *showPopover(QWidget *content, QWidget *view, const QRectF &appKitRect);

// `appKitRect` (origin bottom left, y up) in Qt's coordinates of a view `viewHeight` high.
QRect fromAppKit(const QRectF &appKitRect, int viewHeight);

// Closes the sheet or popover that holds `content` (a scene dismissing itself).
void dismiss(QWidget *content);

// True for the window of a popover (as opposed to a sheet or the main window).
bool isPopover(const QWidget *window);

// Gives the keyboard focus to the first control of `screen` in Tab order (its focus
// proxy, when it names one). Does nothing when no control can take the focus.
void focusFirstControl(QWidget *screen);

} // namespace zembra
