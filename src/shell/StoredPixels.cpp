#include "shell/StoredPixels.h"

#include <QtEndian>

#include <cstring>

namespace zembra {

namespace {
constexpr char kMagic[4] = {'Z', 'P', 'X', '1'};
constexpr qsizetype kHeader = 12;
constexpr int kMaxSide = 4096;
} // namespace

QByteArray encodeStoredPixels(const QImage &image) {
    if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide)
        return {};
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray bytes(kHeader + qsizetype(pixels.width()) * pixels.height() * 4, Qt::Uninitialized);
    char *out = bytes.data();
    std::memcpy(out, kMagic, 4);
    qToLittleEndian<quint32>(quint32(pixels.width()), out + 4);
    qToLittleEndian<quint32>(quint32(pixels.height()), out + 8);
    out += kHeader;
    for (int y = 0; y < pixels.height(); ++y, out += pixels.width() * 4)
        qToLittleEndian<quint32>(pixels.constScanLine(y), pixels.width(), out);
    return bytes;
}

QImage decodeStoredPixels(const char *bytes, qsizetype size) {
    if (!bytes || size < kHeader || std::memcmp(bytes, kMagic, 4) != 0)
        return {};
    const quint32 width = qFromLittleEndian<quint32>(bytes + 4);
    const quint32 height = qFromLittleEndian<quint32>(bytes + 8);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        size != kHeader + qsizetype(width) * height * 4)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    const char *in = bytes + kHeader;
    for (int y = 0; y < image.height(); ++y, in += width * 4)
        qFromLittleEndian<quint32>(in, width, image.scanLine(y));
    return image;
}

} // namespace zembra
