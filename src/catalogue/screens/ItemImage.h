#pragma once
// Turns a record's image reference into a picture: the workspace icon of a path, or an
// image file (an application's .icns), decoded at once. GUI thread only.

#include "catalogue/ImageRef.h"

#include <QIcon>

#include <optional>

namespace zembra {

// Decodes on each call: callers that draw many rows cache.
QIcon itemImage(const ImageRef &image);
// A null icon for no reference.
QIcon itemImage(const std::optional<ImageRef> &image);

// Decodes `image` now and keeps the picture, so that a later itemImage() of the same
// reference still has it after its file was deleted (the outcome of a removal shows the
// removed application's icon). One picture is kept at a time.
void keepItemImage(const std::optional<ImageRef> &image);

} // namespace zembra
