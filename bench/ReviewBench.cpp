// The leftover review under load, in an offscreen window:
//  1. a 5,000-row result (flagged rows and a related group among them) taken over and
//     first painted, and scrolled page by page;
//  2. the GUI thread's longest stall (a 5 ms timer-drift probe) while the search runs on
//     a large tree (bench/MakeTree.cpp output, when given) and while a removal of over
//     10,000 files runs;
//  3. resident memory with the 5,000-row review shown.
// On a loaded machine the probe also sees the scheduler: compare with the idle baseline.
//
//   zembra-bench-review [MAKETREE_DIR]
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/screens/LeftoverScreens.h"
#include "leftovers/screens/LeftoverTableModel.h"
#include "leftovers/screens/RemainderViewController.h"
#include "platform/FolderAccess.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

void file(const fs::path &p, size_t bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
}

void app(const fs::path &bundle, const char *identifier, const char *name = "Bench") {
    file(bundle / "Contents/Info.plist", 0);
    std::ofstream(bundle / "Contents/Info.plist")
        << "<?xml version=\"1.0\"?><plist "
           "version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>"
        << identifier << "</string><key>CFBundleName</key><string>" << name
        << "</string></dict></plist>";
}

template <typename Pred> void waitUntil(Pred done) {
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The longest gap between ticks of a 5 ms timer while `running` holds.
template <typename Pred> double probeStall(Pred running) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed(), worst = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    probe.start();
    waitUntil([&] { return !running(); });
    worst = std::max(worst, clock.nsecsElapsed() - last);
    return worst / 1e6;
}

long statusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field) + 1));
    return 0;
}

struct Session {
    explicit Session(const QString &settingsFile)
        : settings(settingsFile), suite(settingsFile + ".suite"), app(settings, suite) {
        leftovers::RemovalServices services;
        services.playCompletionSound = [] {};
        registerLeftoverScreens(app.storyboard(), app, services);
        window.resize(600, 420);
        window.show();
    }
    RemainderViewController *review(const fs::path &bundle) {
        app.state().setItem(Application(settings).application(bundle));
        auto *r = static_cast<RemainderViewController *>(
            app.storyboard().instantiate(screens::kRemainder, &window));
        r->resize(window.size());
        r->show();
        return r;
    }
    platform::SettingsStore settings;
    platform::SettingsStore suite;
    AppDelegate app;
    QWidget window;
};

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir tmp;
    const fs::path root = tmp.path().toStdString();

    // 1. A result of 5,000 file rows, in two groups.
    const fs::path home = root / "Users/bench";
    const fs::path bundle = root / "Applications/Bench.app";
    app(bundle, "com.benchvendor.review");
    for (int i = 0; i < 2500; ++i) {
        file(home / "Library/Preferences" /
                 ("com.benchvendor.review." + std::to_string(i) + ".plist"),
             300);
        file(home / "Library/Caches" / ("com.benchvendor.review." + std::to_string(i)) / "c", 300);
    }
    // A second installed application whose identifier extends the first: the rows named
    // after it (one in nine) are flagged, and a few entries come in the related group.
    app(root / "Applications/Bench Two.app", "com.benchvendor.review.1", "Bench Two");
    for (const char *folder : {"HTTPStorages", "WebKit", "Containers"})
        file(home / "Library" / folder / "com.benchvendor.review/data", 300);
    // The application itself holds 10,000 files more, for the removal.
    for (int i = 0; i < 10000; ++i)
        file(bundle / "Contents/Resources" / std::string("r").append(std::to_string(i / 100)) /
                 std::string("f").append(std::to_string(i)),
             10);

    Session s(tmp.filePath(QStringLiteral("settings.ini")));
    s.settings.setData(grants::kHome, platform::bookmarkData(home));
    s.settings.setData(grants::kApplications, platform::bookmarkData(root / "Applications"));

    const long rssBefore = statusKb("VmRSS:");
    RemainderViewController *review = s.review(bundle);
    // Wait without running the event loop, so the poll cannot take the results over first.
    while (!review->searchFinished())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    auto *table = review->findChild<QTableView *>(QStringLiteral("tableviewR"));
    QElapsedTimer t;
    t.start();
    review->remainder_timer_proc();
    (void)s.window.grab();
    const double takeOver = t.nsecsElapsed() / 1e6;
    int flagged = 0, related = 0;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        const QModelIndex name = table->model()->index(row, 0);
        flagged += name.data(LeftoverTableModel::FlaggedRole).toBool();
        related += !name.data(LeftoverTableModel::FlaggedRole).toBool() &&
                   !name.data(LeftoverTableModel::NoteRole).toString().isEmpty();
    }
    std::printf("5,000-row review: %d rows (%d flagged, %d related) taken over and first painted "
                "in %.1f ms (target < 100 ms)\n",
                table->model()->rowCount(), flagged, related, takeOver);

    QScrollBar *bar = table->verticalScrollBar();
    int frames = 0;
    double worstFrame = 0;
    t.restart();
    for (int v = 0; v <= bar->maximum(); v += bar->pageStep(), ++frames) {
        QElapsedTimer f;
        f.start();
        bar->setValue(v);
        (void)table->viewport()->grab();
        worstFrame = std::max(worstFrame, f.nsecsElapsed() / 1e6);
    }
    std::printf("scrolling: %d pages painted, %.2f ms per page on average, worst %.2f ms\n", frames,
                t.nsecsElapsed() / 1e6 / frames, worstFrame);
    std::printf("resident memory with the 5,000-row review: %ld MB (process peak %ld MB; %ld MB "
                "before the review)\n",
                statusKb("VmRSS:") / 1024, statusKb("VmHWM:") / 1024, rssBefore / 1024);

    // What the machine's own load does to the probe, with nothing of ours running.
    QElapsedTimer idle;
    idle.start();
    std::printf("idle baseline: longest gap of the probe in 3 s with nothing running %.1f ms\n",
                probeStall([&] { return idle.elapsed() < 3000; }));

    // 2b. The removal of the application (10,000 files inside) and the 5,000 rows.
    bool removed = false;
    QObject ctx;
    NotificationCenter::defaultCenter().addObserver(&ctx, screens::kRemoveViewController,
                                                    [&] { removed = true; });
    t.restart();
    review->findChild<QPushButton *>(QStringLiteral("switch_remove"))->click();
    const double removalStall = probeStall([&] { return !removed; });
    std::printf("removal of %d rows (over 15,000 files) in %.0f ms; longest GUI stall %.1f ms "
                "(target <= 50 ms)\n",
                table->model()->rowCount(), t.nsecsElapsed() / 1e6, removalStall);
    delete review;

    // 2a. The search on a large generated tree.
    if (argc > 1) {
        const fs::path tree = fs::absolute(argv[1]);
        Session big(tmp.filePath(QStringLiteral("big.ini")));
        big.settings.setData(grants::kHome, platform::bookmarkData(tree / "Users/bench"));
        big.settings.setData(grants::kApplications, platform::bookmarkData(tree / "Applications"));
        big.settings.setData(grants::kMacOS, platform::bookmarkData(tree));
        big.settings.setInteger(grants::kAllowAny, 1);
        t.restart();
        RemainderViewController *r = big.review(tree / "Applications/Benchmark Editor.app");
        auto *progress = r->findChild<QWidget *>(QStringLiteral("progress"));
        const double searchStall = probeStall([&] { return progress->isVisible(); });
        std::printf(
            "search on the generated tree: %d rows shown after %.0f ms; longest GUI stall %.1f ms "
            "(target <= 50 ms)\n",
            r->findChild<QTableView *>(QStringLiteral("tableviewR"))->model()->rowCount(),
            t.nsecsElapsed() / 1e6, searchStall);
        delete r;
    }
    return 0;
}
