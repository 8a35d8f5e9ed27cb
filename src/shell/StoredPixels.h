#pragma once
// An image kept as its pixels: "ZPX1", width and height (32-bit little-endian), then each
// pixel as a 32-bit little-endian premultiplied ARGB value, row by row. The home screen's
// pictures are stored so (made from their PNGs at build time), so its first paint needs
// no PNG decoder and no look for image plug-ins. Pure functions, any thread.

#include <QByteArray>
#include <QImage>

namespace zembra {

// Nothing (an empty array) for a null image or one larger than 4096 pixels a side.
QByteArray encodeStoredPixels(const QImage &image);
// A null image when `bytes` is not exactly one well-formed stored image.
QImage decodeStoredPixels(const char *bytes, qsizetype size);

} // namespace zembra
