#pragma once
// The keys every screen answers the same way: Enter presses the screen's default button,
// Escape its way back, and Ctrl+Tab / Ctrl+Shift+Tab move on to the next or previous
// control even from a list that keeps Tab for itself. A button that is disabled or hidden
// ignores its key. GUI thread only.

class QAbstractButton;
class QWidget;

namespace zembra {

// Binds the keys on `screen` (and everything inside it). Either button may be null.
void bindScreenKeys(QWidget *screen, QAbstractButton *defaultButton, QAbstractButton *backButton);

} // namespace zembra
