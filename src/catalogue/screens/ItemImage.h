#pragma once
// Turns a record's image reference into a picture: the workspace icon of a path, or an
// image file (an application's .icns). Decodes on each call: callers cache.

#include "catalogue/ImageRef.h"

#include <QIcon>

namespace zembra {

QIcon itemImage(const ImageRef &image);

} // namespace zembra
