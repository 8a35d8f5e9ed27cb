#pragma once
// Turns a record's lazy image reference into a picture: the workspace icon of a file, or
// an image file (an application's .icns). GUI thread only.

#include "catalogue/ImageRef.h"

#include <QIcon>

#include <optional>

namespace zembra {

// A null icon for no reference.
QIcon iconOf(const std::optional<ImageRef> &ref);

} // namespace zembra
