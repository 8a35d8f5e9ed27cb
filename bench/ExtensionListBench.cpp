// Times the plug-in list over 1,000 generated Address Book plug-ins (each a bundle of 20
// files): from making the screen until the list's first paint, and until every row's size
// has arrived from the worker. The list must paint at once; sizes come later.
//
//   zembra-bench-extension-list [--runs N]
#include "extensions/screens/ExtensionListModel.h"
#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenNames.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zembra;

namespace {

void makePlugin(const fs::path &folder, int n) {
    const std::string name = "Plugin " + std::to_string(n);
    const fs::path bundle = folder / (name + ".bundle");
    fs::create_directories(bundle / "Contents/Resources");
    std::ofstream(bundle / "Contents/Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleIdentifier</key><string>com.vendor"
        << n % 50 << ".plugin" << n
        << "</string>\n"
           "  <key>CFBundleName</key><string>"
        << name << "</string>\n</dict>\n</plist>\n";
    for (int f = 0; f < 20; ++f)
        std::ofstream(bundle / "Contents/Resources" / std::string("r").append(std::to_string(f)))
            << std::string(100 + f * 10, 'x');
}

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char **argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const fs::path plugins = root / "home/Library/Address Book Plug-Ins";
    for (int n = 0; n < 1000; ++n)
        makePlugin(plugins, n);
    platform::SettingsStore settings(QString::fromStdString((root / "settings.ini").string()));
    platform::SettingsStore suite(QString::fromStdString((root / "suite.ini").string()));
    grants::GrantStore(settings).createGrant(grants::kHome, root / "home");
    AppDelegate delegate(settings, suite);
    registerExtensionScreens(delegate.storyboard(), delegate);

    std::vector<double> paint, sizes;
    int knownAtPaint = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        QWidget window;
        window.resize(720, 520);
        QWidget *screen = delegate.storyboard().instantiate(screens::kPlugins, &window);
        screen->setGeometry(window.rect());
        auto *list = screen->findChild<QListView *>(QStringLiteral("tableviewB"));
        auto *model = qobject_cast<ExtensionListModel *>(list->model());
        PaintWatch watch;
        list->viewport()->installEventFilter(&watch);
        window.show();
        while (!watch.painted)
            QCoreApplication::processEvents();
        paint.push_back(clock.nsecsElapsed() / 1e6);
        int known = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            known += !model->index(row, 0).data(ExtensionListModel::SizeRole).isNull();
        knownAtPaint = std::max(knownAtPaint, known);
        while (!model->allSizesKnown())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        sizes.push_back(clock.nsecsElapsed() / 1e6);
        if (model->rowCount() != 1000)
            std::fprintf(stderr, "expected 1000 rows, got %d\n", model->rowCount());
        list->viewport()->removeEventFilter(&watch);
        QThreadPool::globalInstance()->waitForDone();
    }
    std::sort(paint.begin(), paint.end());
    std::sort(sizes.begin(), sizes.end());
    std::printf("1000 plug-ins, %d runs: listed and first painted in %.1f ms (median, best %.1f), "
                "all sizes shown after %.1f ms (median); at most %d sizes known at first paint\n",
                runs, paint[paint.size() / 2], paint.front(), sizes[sizes.size() / 2],
                knownAtPaint);
    return 0;
}
