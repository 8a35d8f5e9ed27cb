// Times the applications list screen over 500 installed applications: from the request
// for the screen until its first paint is done (the screen made, the folder read, the
// rows on screen drawn with their icons decoded from .icns files).
//
//   zembra-bench-list-screen [--runs N]        (offscreen unless QT_QPA_PLATFORM is set)
#include "catalogue/screens/CatalogueScreens.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"
#include "shell/screens/ShellScreens.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

QByteArray be32(quint32 v) {
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// An .icns file as applications ship them: several sizes, each a PNG picture.
QByteArray makeIcns() {
    QByteArray body;
    const std::pair<const char *, int> entries[] = {{"ic11", 32}, {"ic07", 128}, {"ic09", 512}};
    for (const auto &[type, size] : entries) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(QColor(30, 120, 230));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; x += 3)
                image.setPixelColor(x, y, QColor((x * 7) % 255, (y * 3) % 255, 200));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        body += QByteArray(type) + be32(8 + png.size()) + png;
    }
    return QByteArray("icns") + be32(8 + body.size()) + body;
}

void makeBundle(const fs::path &bundle, int n, const QByteArray &icns) {
    fs::create_directories(bundle / "Contents/MacOS");
    fs::create_directories(bundle / "Contents/Resources");
    const std::string name = bundle.stem().native();
    std::ofstream(bundle / "Contents/Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleExecutable</key><string>"
        << name
        << "</string>\n"
           "  <key>CFBundleIconFile</key><string>AppIcon</string>\n"
           "  <key>CFBundleIdentifier</key><string>com.vendor"
        << n % 40 << ".app" << n
        << "</string>\n"
           "  <key>CFBundleName</key><string>"
        << name << "</string>\n</dict>\n</plist>\n";
    std::ofstream(bundle / "Contents/MacOS" / name) << "binary";
    std::ofstream(bundle / "Contents/Resources/AppIcon.icns", std::ios::binary)
        .write(icns.constData(), icns.size());
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));

    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString());
    const QByteArray icns = makeIcns();
    for (int n = 0; n < 500; ++n) {
        const std::string name = "App " + std::to_string(n) + ".app";
        const fs::path parent = n % 3 == 0
                                    ? root / "Applications"
                                    : root / "Applications" / ("Vendor " + std::to_string(n % 30));
        makeBundle(parent / name, n, icns);
    }
    zembra::platform::SettingsStore settings(dir.path() + QStringLiteral("/settings.conf"));
    zembra::platform::SettingsStore suite(dir.path() + QStringLiteral("/suite.conf"));
    zembra::grants::GrantStore(settings).createGrant(zembra::grants::kApplications,
                                                     root / "Applications");
    zembra::AppDelegate delegate(settings, suite);
    zembra::registerShellScreens(delegate.storyboard(), delegate);
    zembra::registerCatalogueScreens(delegate.storyboard(), delegate);
    zembra::WindowController window(delegate);
    window.show();

    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        zembra::NotificationCenter::defaultCenter().post(
            zembra::screens::kApplicationsViewController);
        const QPixmap painted = window.grab();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        std::printf("run %d: %.1f ms (%dx%d painted)\n", r + 1, ms.back(), painted.width(),
                    painted.height());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::sort(ms.begin(), ms.end());
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            std::printf("resident memory with the list shown:%s\n", line.substr(6).c_str());
    std::printf(
        "applications list screen, 500 applications, made and first painted: median %.1f ms, "
        "worst %.1f ms (target < 150 ms)\n",
        ms[ms.size() / 2], ms.back());
    return 0;
}
