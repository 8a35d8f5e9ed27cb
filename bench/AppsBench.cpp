// Times installedApplications over a generated Applications folder of 500 bundles
// (spread over the top level, vendor folders, two-level folders and Utilities).
//
//   zembra-bench-apps [--runs N] [--keep DIR]
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/SettingsStore.h"
#include "preferences/PreferenceKeys.h"

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

void makeBundle(const fs::path &bundle, int n) {
    fs::create_directories(bundle / "Contents/MacOS");
    fs::create_directories(bundle / "Contents/Resources");
    const std::string name = bundle.stem().native();
    std::ofstream(bundle / "Contents/Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
           "PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleDevelopmentRegion</key><string>en</string>\n"
           "  <key>CFBundleExecutable</key><string>"
        << name
        << "</string>\n"
           "  <key>CFBundleIconFile</key><string>AppIcon.icns</string>\n"
           "  <key>CFBundleIdentifier</key><string>"
        << (n % 25 == 0 ? "com.apple.app" : "com.vendor" + std::to_string(n % 40) + ".app") << n
        << "</string>\n"
           "  <key>CFBundleName</key><string>"
        << name
        << "</string>\n"
           "  <key>CFBundlePackageType</key><string>APPL</string>\n"
           "  <key>CFBundleShortVersionString</key><string>1."
        << n
        << "</string>\n"
           "  <key>LSMinimumSystemVersion</key><string>11.0</string>\n"
           "  <key>NSHighResolutionCapable</key><true/>\n</dict>\n</plist>\n";
    std::ofstream(bundle / "Contents/MacOS" / name) << "binary";
    std::ofstream(bundle / "Contents/Resources/AppIcon.icns") << "icns";
}

void generate(const fs::path &apps) {
    for (int n = 0; n < 500; ++n) {
        const std::string name = "App " + std::to_string(n) + ".app";
        switch (n % 5) {
        case 0:
        case 1:
            makeBundle(apps / name, n);
            break;
        case 2:
            makeBundle(apps / ("Vendor " + std::to_string(n % 30)) / name, n);
            break;
        case 3:
            makeBundle(apps / ("Suite " + std::to_string(n % 20)) / "Tools" / name, n);
            break;
        case 4:
            makeBundle(apps / "Utilities" / ("Group " + std::to_string(n % 10)) / name, n);
            break;
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    int runs = 15;
    std::string keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--keep"))
            keep = argv[i + 1];
    }
    QTemporaryDir tmp;
    const fs::path root = keep.empty() ? fs::path(tmp.path().toStdString()) : fs::path(keep);
    const fs::path apps = root / "Applications";
    if (!fs::exists(apps))
        generate(apps);

    zembra::platform::SettingsStore settings(
        QString::fromStdString((root / "bench-settings.conf").native()));
    zembra::grants::GrantStore(settings).createGrant(zembra::grants::kApplications, apps);
    settings.setInteger(zembra::preferences::kIncludeUtilities, 1);

    std::vector<double> seconds;
    size_t listed = 0;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        zembra::Application enumerator(settings);
        listed = enumerator.installedApplications().size();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("installedApplications: %zu of 500 bundles listed (Apple's left out), %d runs\n",
                listed, runs);
    std::printf("min %.4f s, median %.4f s, max %.4f s (target: under 0.3 s)\n", seconds.front(),
                seconds[seconds.size() / 2], seconds.back());
    return 0;
}
