// Turns a PNG into the stored-pixels form the home screen reads (StoredPixels.h): the
// image in premultiplied ARGB32, as Qt would convert it for painting, so the first screen
// shows exactly what the PNG holds without decoding it at start.
//
//   zembra-stored-pixels INPUT.png OUTPUT.pixels
#include "shell/StoredPixels.h"

#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zembra-stored-pixels INPUT.png OUTPUT.pixels\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    const QByteArray bytes = zembra::encodeStoredPixels(image);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (image.isNull() || bytes.isEmpty() || !out.open(QIODevice::WriteOnly) ||
        out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "zembra-stored-pixels: cannot turn %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
