// What the review finds on real applications' layouts (bench/corpus):
//
//   zembra-bench-corpus [CORPUS_DIR] [--misses] [--keep DIR]
//
// builds every application of the corpus side by side (its bundle, inner bundles and
// signed main executable, and what it leaves) with macOS's own files, then for each
// application runs the leftover search and the review with the "Possibly related" group,
// every other application installed, as `zembra leftovers --related` does. Per set
// (development, held-out) it prints: the other applications' entries (and macOS's, and
// shared vendor folders) that start ticked, listed; the share of the application's
// leftovers in the ticked rows and in the whole review (ticked + flagged + possibly
// related); and the search's time. --misses lists what the review does not show;
// --keep builds the tree in DIR and leaves it there.
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "support/Corpus.h"
#include "support/CorpusScore.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zembra;

namespace {

struct SetFigures {
    size_t apps = 0, own = 0, ticked = 0, inReview = 0;
    std::vector<std::string> wronglyTicked, misses;
    std::vector<double> searchSeconds, reviewSeconds;
};

double sum(const std::vector<double> &v) {
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percent(size_t part, size_t whole) {
    return whole ? 100.0 * double(part) / double(whole) : 0;
}

} // namespace

int main(int argc, char **argv) {
    fs::path corpusDir = ZEMBRA_CORPUS_DIR;
    bool listMisses = false;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--misses")
            listMisses = true;
        else if (a == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else if (!a.empty() && a[0] != '-')
            corpusDir = a;
        else {
            std::fprintf(stderr,
                         "usage: zembra-bench-corpus [CORPUS_DIR] [--misses] [--keep DIR]\n");
            return 2;
        }
    }
    const std::vector<std::string> sets = {"development", "held-out"};
    std::vector<fs::path> files;
    for (const std::string &s : sets)
        files.push_back(corpusDir / (s + ".corpus"));
    files.push_back(corpusDir / "macos.corpus");
    const corpus::Corpus c = corpus::loadCorpus(files);
    for (const std::string &e : c.errors)
        std::fprintf(stderr, "%s\n", e.c_str());
    if (!c.errors.empty() || c.apps.empty())
        return 2;

    QTemporaryDir dir;
    const fs::path root =
        keep.empty() ? fs::path(dir.path().toStdString()) / "mac" : fs::absolute(keep);
    corpus::buildCorpusTree(c, root);
    platform::SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.setOverride(grants::kApplications, platform::bookmarkData(root / "Applications"));
    settings.setOverride(grants::kHome, platform::bookmarkData(root / "Users/me"));
    settings.setOverride(grants::kMacOS, platform::bookmarkData(root));
    settings.setOverride(grants::kAllowAny, 1);
    const ApplicationList installed = Application(settings).everyInstalledApplication();

    const std::vector<corpus::Owned> everything = corpus::everythingOwned(c, root);

    std::map<std::string, SetFigures> figures;
    using Clock = std::chrono::steady_clock;
    for (const corpus::CorpusApp &app : c.apps) {
        SetFigures &f = figures[app.set];
        ++f.apps;
        const auto item = Application(settings).application(root / app.bundle);
        const auto t0 = Clock::now();
        leftovers::searchLeftovers(*item, settings, leftovers::SearchMode::Review);
        const auto t1 = Clock::now();
        const leftovers::Review review = leftovers::buildReview(*item, settings, installed, true);
        const auto t2 = Clock::now();
        f.searchSeconds.push_back(std::chrono::duration<double>(t1 - t0).count());
        f.reviewSeconds.push_back(std::chrono::duration<double>(t2 - t1).count());
        const corpus::ReviewScore score = corpus::scoreReview(app, root, review, everything);
        f.own += score.own;
        f.inReview += score.inReview;
        f.ticked += score.ticked;
        f.misses.insert(f.misses.end(), score.misses.begin(), score.misses.end());
        f.wronglyTicked.insert(f.wronglyTicked.end(), score.wronglyTicked.begin(),
                               score.wronglyTicked.end());
    }

    std::printf(
        "corpus: %zu applications installed side by side, %zu shared entries, %zu of macOS's own\n",
        c.apps.size(), c.shared.size(), c.system.size());
    for (const std::string &s : sets) {
        const SetFigures &f = figures[s];
        std::printf("\n%s set: %zu applications, %zu leftovers\n", s.c_str(), f.apps, f.own);
        std::printf("  entries of others that start ticked:            %zu\n",
                    f.wronglyTicked.size());
        std::printf("  leftovers in the ticked rows:                   %zu/%zu = %.1f %%\n",
                    f.ticked, f.own, percent(f.ticked, f.own));
        std::printf("  leftovers in the whole review (ticked + flagged + possibly related): "
                    "%zu/%zu = %.1f %%\n",
                    f.inReview, f.own, percent(f.inReview, f.own));
        std::printf("  search: %.1f ms in all, median %.2f ms per application; review step: %.1f "
                    "ms in all\n",
                    1000 * sum(f.searchSeconds), 1000 * median(f.searchSeconds),
                    1000 * sum(f.reviewSeconds));
        for (const std::string &w : f.wronglyTicked)
            std::printf("    ticked but another's: %s\n", w.c_str());
        if (listMisses)
            for (const std::string &m : f.misses)
                std::printf("    not in the review: %s\n", m.c_str());
    }
    return 0;
}
