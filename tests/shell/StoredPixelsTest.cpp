// The home screen's pictures read from their stored pixels show exactly what their PNGs
// show, and a stored image that is not well formed is never read past its end.

#include "shell/StoredPixels.h"

#include <QPixmap>
#include <QResource>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace zembra;

namespace {

// What the screen paints from an image: the pixmap, back as an image.
QImage painted(const QImage &image) {
    return QPixmap::fromImage(image).toImage();
}

} // namespace

TEST(StoredPixels, HomeScreenPictures_PaintExactlyAsTheirPngs) {
    for (const char *name : {"brand", "drop_target"}) {
        const QResource stored(QStringLiteral(":/pixels/%1.pixels").arg(QLatin1String(name)));
        ASSERT_TRUE(stored.isValid()) << name;
        EXPECT_EQ(stored.compressionAlgorithm(), QResource::NoCompression) << name;
        const QImage fromPixels =
            decodeStoredPixels(reinterpret_cast<const char *>(stored.data()), stored.size());
        const QImage fromPng(QStringLiteral(":/images/%1.png").arg(QLatin1String(name)));
        ASSERT_FALSE(fromPixels.isNull()) << name;
        ASSERT_FALSE(fromPng.isNull()) << name;
        EXPECT_EQ(painted(fromPixels), painted(fromPng)) << name;
    }
}

TEST(StoredPixels, MalformedBytes_GiveNoImage) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 128));
    const QByteArray good = encodeStoredPixels(image);
    ASSERT_EQ(painted(decodeStoredPixels(good.constData(), good.size())), painted(image));

    const auto withSize = [&](quint32 width, quint32 height) {
        QByteArray bytes = good;
        qToLittleEndian<quint32>(width, bytes.data() + 4);
        qToLittleEndian<quint32>(height, bytes.data() + 8);
        return bytes;
    };
    const std::pair<const char *, QByteArray> malformed[] = {
        {"empty", QByteArray()},
        {"header only", good.left(12)},
        {"one byte short", good.chopped(1)},
        {"one byte over", good + 'x'},
        {"other magic", QByteArray("ZPX2") + good.mid(4)},
        {"wider than its bytes", withSize(4, 2)},
        {"no rows", withSize(3, 0)},
        {"sizes that overflow", withSize(0xffffffffu, 0xffffffffu)},
    };
    for (const auto &[what, bytes] : malformed)
        EXPECT_TRUE(decodeStoredPixels(bytes.constData(), bytes.size()).isNull()) << what;
    EXPECT_TRUE(encodeStoredPixels(QImage(5000, 1, QImage::Format_ARGB32)).isEmpty());
}
