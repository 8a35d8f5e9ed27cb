#pragma once
// How a corpus application's review covers what it leaves, and what of others it would
// take: the one scoring shared by the corpus test and the corpus benchmark, so both count
// alike. Plain functions over a finished review; any thread.

#include "leftovers/Review.h"
#include "support/Corpus.h"

#include <string>
#include <vector>

namespace zembra::corpus {

struct Owned {
    fs::path path;
    std::string owner; // an application's name, "shared" or "macOS"
};

// Everything someone owns below `root`: each application's bundle and leftovers, the
// shared entries and macOS's own files.
std::vector<Owned> everythingOwned(const Corpus &corpus, const fs::path &root);

struct ReviewScore {
    size_t own = 0, inReview = 0, ticked = 0; // the application's leftovers; listed; ticked
    std::vector<std::string> misses;          // "App: path" of a leftover the review lacks
    std::vector<std::string> wronglyTicked;   // "App: row  (Owner's path)" a ticked row takes
};

// Scores the review of `app` (searched with every corpus application installed) against
// `everything`; paths in the texts are relative to `root`.
ReviewScore scoreReview(const CorpusApp &app, const fs::path &root, const leftovers::Review &review,
                        const std::vector<Owned> &everything);

} // namespace zembra::corpus
