#pragma once
// The application's own images, drawn at run time so they need no image files:
// "preferences" (a gear), "launch_agent" (a rocket badge) and "reveal" (a magnifier, the
// review's reveal button). GUI thread only; each image is drawn once and kept.

#include <QIcon>
#include <QString>

namespace zembra {

// A null icon for a name the application has no image for.
QIcon applicationImage(const QString &name);

} // namespace zembra
