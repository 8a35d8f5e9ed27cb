#pragma once
// The start of the program on the review of an application the background watcher
// remembers (its notice's action runs `uninstaller-zembra --review-remembered KEY`). The
// application itself may be gone: the review searches its record like any other, and the
// row of its own bundle is then absent or of size 0. GUI thread only.

#include <QString>

namespace zembra {

class AppDelegate;

// Makes a fresh copy of the record remembered as gone under `key`, in the snapshot kept
// in `settingsFolder`, the shared item, and posts "remainder_view_controller" once control
// is back in the event loop (so after the main window is shown). False, and nothing
// changed, when no gone record has that key or an installed application has it.
bool reviewRememberedApplication(AppDelegate &delegate, const QString &settingsFolder,
                                 const QString &key);

} // namespace zembra
