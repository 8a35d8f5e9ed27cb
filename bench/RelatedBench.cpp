// Figures of the review's extra step (shared entries and "Possibly related"):
//
//   zembra-bench-related realistic
//       builds the realistic fixture Mac (bench/RealisticApps) in a temporary
//       folder, reviews every application on it and prints the recall of the whole
//       review (ticked + flagged + related) and of the ticked rows alone, and the count
//       of other applications' entries that start ticked (must be 0), with the misses.
//   zembra-bench-related build DIR
//       only builds the realistic fixture Mac in DIR (home DIR/Users/me), to try the
//       command line on it.
//   zembra-bench-related cost TREE_DIR [RUNS] [APPS]
//       on the tree of zembra-bench-make-tree: the search alone, then the extra step
//       (every installed application, flags, related search and sizes), median of RUNS.
//       The shared-entry check weighs every row against every installed application:
//       APPS (default 300) more bundles are installed in an Applications folder of the
//       bench's own, named like the tree's vendors (com.vendorN.productM).
#include "InfoPlist.h"
#include "RealisticApps.h"
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "platform/FolderAccess.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zembra;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int realistic() {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "mac";
    platform::SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    fixtures::buildRealisticMac(root);
    fixtures::grantRealisticMac(settings, root);
    const fixtures::ReviewFigures f = fixtures::scoreReviews(root, settings);
    std::printf("applications: %zu, own entries: %zu\n", fixtures::realisticApps().size(), f.own);
    std::printf("recall of the whole review (ticked + flagged + related): %zu/%zu = %.1f %%\n",
                f.inReview, f.own, 100.0 * double(f.inReview) / double(f.own));
    std::printf("recall of the ticked rows alone:                         %zu/%zu = %.1f %%\n",
                f.preselected, f.own, 100.0 * double(f.preselected) / double(f.own));
    std::printf("other applications' entries that start ticked: %zu (must be 0)\n",
                f.othersSelected);
    std::printf("before, the search's list alone, all ticked: recall %zu/%zu = %.1f %%, other "
                "applications' "
                "entries ticked: %zu\n",
                f.searchOnlyFound, f.own, 100.0 * double(f.searchOnlyFound) / double(f.own),
                f.searchOnlyOthersSelected);
    for (const std::string &m : f.misses)
        std::printf("  not found: %s\n", m.c_str());
    for (const std::string &u : f.nowUnticked)
        std::printf("  listed by the search, now unticked: %s\n", u.c_str());
    for (const std::string &w : f.wronglySelected)
        std::printf("  ticked but another's: %s\n", w.c_str());
    return f.othersSelected == 0 ? 0 : 1;
}

int cost(const fs::path &tree, int runs, int apps) {
    QTemporaryDir dir;
    platform::SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    const fs::path applications = fs::path(dir.path().toStdString()) / "Applications";
    fs::create_directories(applications);
    for (int i = 0; i < apps; ++i) {
        const std::string name = "Product " + std::to_string(i);
        const fs::path contents = applications / (name + ".app") / "Contents";
        fs::create_directories(contents);
        std::ofstream(contents / "Info.plist") << bench::infoPlist(
            "com.vendor" + std::to_string(i % 97) + ".product" + std::to_string(i), name);
    }
    settings.setOverride(grants::kApplications, platform::bookmarkData(applications));
    settings.setOverride(grants::kHome, platform::bookmarkData(tree / "Users/bench"));
    settings.setOverride(grants::kMacOS, platform::bookmarkData(tree));
    settings.setOverride(grants::kAllowAny, 1);
    const fs::path app = tree / "Applications/Benchmark Editor.app";
    using Clock = std::chrono::steady_clock;
    std::vector<double> search, extra;
    size_t rows = 0, related = 0, flagged = 0;
    for (int i = 0; i <= runs; ++i) { // the first run warms the cache
        const auto item = Application(settings).application(app);
        const auto t0 = Clock::now();
        leftovers::searchLeftovers(*item, settings, leftovers::SearchMode::Review);
        const auto t1 = Clock::now();
        const leftovers::Review review = leftovers::buildReview(
            *item, settings, Application(settings).everyInstalledApplication(), true);
        const auto t2 = Clock::now();
        rows = review.searchRows;
        related = review.files.size() - review.searchRows;
        flagged = size_t(std::count_if(review.flags.begin(), review.flags.end(),
                                       [](const leftovers::SharedFlag &f) { return f.flagged(); }));
        if (i > 0) {
            search.push_back(std::chrono::duration<double>(t1 - t0).count());
            extra.push_back(std::chrono::duration<double>(t2 - t1).count());
        }
    }
    const double s = median(search), e = median(extra);
    std::printf(
        "search: %.3f s, %zu rows; extra step: %.4f s, %zu related rows, %zu flagged; %d other "
        "applications installed (median of %d)\n",
        s, rows, e, related, flagged, apps, runs);
    std::printf("extra step: %.1f %% of the search (target: at most 15 %%)\n", 100.0 * e / s);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "realistic")
        return realistic();
    if (mode == "build" && argc > 2) {
        fixtures::buildRealisticMac(fs::absolute(argv[2]));
        return 0;
    }
    if (mode == "cost" && argc > 2)
        return cost(fs::absolute(argv[2]), argc > 3 ? std::max(1, std::atoi(argv[3])) : 7,
                    argc > 4 ? std::max(0, std::atoi(argv[4])) : 300);
    std::fprintf(
        stderr,
        "usage: zembra-bench-related realistic | build DIR | cost TREE_DIR [RUNS] [APPS]\n");
    return 2;
}
