#pragma once
// Generated Applications folders for the GUI benchmarks: bundles as applications ship
// them (an Info.plist, an executable, an .icns icon of PNG pictures), spread over the
// top level and vendor folders.

#include "InfoPlist.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

inline QByteArray be32(quint32 v) {
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// An .icns file with one PNG picture of each size in `sizes`.
inline QByteArray makeIcns(const std::vector<int> &sizes) {
    static const char *const types[] = {"ic11", "ic07", "ic09"};
    QByteArray body;
    for (size_t k = 0; k < sizes.size() && k < 3; ++k) {
        const int size = sizes[k];
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(QColor(30, 120, 230));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; x += 3)
                image.setPixelColor(x, y, QColor((x * 7) % 255, (y * 3) % 255, 200));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        body += QByteArray(types[k]) + be32(8 + png.size()) + png;
    }
    return QByteArray("icns") + be32(8 + body.size()) + body;
}

inline void makeBundle(const fs::path &bundle, int n, const QByteArray &icns) {
    fs::create_directories(bundle / "Contents/MacOS");
    fs::create_directories(bundle / "Contents/Resources");
    const std::string name = bundle.stem().native();
    std::ofstream(bundle / "Contents/Info.plist")
        << infoPlist("com.vendor" + std::to_string(n % 40) + ".app" + std::to_string(n), name,
                     "<key>CFBundleIconFile</key><string>AppIcon</string>\n");
    std::ofstream(bundle / "Contents/MacOS" / name) << "binary";
    std::ofstream(bundle / "Contents/Resources/AppIcon.icns", std::ios::binary)
        .write(icns.constData(), icns.size());
}

// `count` applications below `applications`: a third at the top level, the rest in
// thirty vendor folders; their names do not sort in the order they are read.
inline void makeApplications(const fs::path &applications, int count, const QByteArray &icns) {
    for (int n = 0; n < count; ++n) {
        const std::string name = "App " + std::to_string((n * 7919) % count) + ".app";
        const fs::path parent =
            n % 3 == 0 ? applications : applications / ("Vendor " + std::to_string(n % 30));
        makeBundle(parent / name, n, icns);
    }
}

} // namespace bench
