#include "support/CorpusScore.h"

#include "platform/FileSystem.h"

namespace zembra::corpus {

namespace {

// Deleting `row` takes `entry` with it.
bool covers(const fs::path &row, const fs::path &entry) {
    return row == entry || platform::isWithin(entry, row);
}

} // namespace

std::vector<Owned> everythingOwned(const Corpus &corpus, const fs::path &root) {
    std::vector<Owned> everything;
    for (const CorpusApp &app : corpus.apps) {
        everything.push_back({root / app.bundle, app.name});
        for (const std::string &e : app.leaves)
            everything.push_back({entryPath(root, e), app.name});
    }
    for (const SharedSpec &s : corpus.shared)
        everything.push_back({entryPath(root, s.path), "shared"});
    for (const std::string &s : corpus.system)
        everything.push_back({entryPath(root, s), "macOS"});
    return everything;
}

ReviewScore scoreReview(const CorpusApp &app, const fs::path &root, const leftovers::Review &review,
                        const std::vector<Owned> &everything) {
    ReviewScore score;
    const leftovers::Selection selection = review.selection();
    std::vector<fs::path> own = {root / app.bundle};
    for (const std::string &e : app.leaves)
        own.push_back(entryPath(root, e));
    for (size_t k = 1; k < own.size(); ++k) {
        bool listed = false, ticked = false;
        for (size_t i = 0; i < review.files.size(); ++i)
            if (review.files[i].isFileURL() && covers(review.files[i].path(), own[k])) {
                listed = true;
                ticked = ticked || selection.isSelected(i);
            }
        ++score.own;
        score.inReview += listed;
        score.ticked += ticked;
        if (!listed)
            score.misses.push_back(app.name + ": " + own[k].lexically_relative(root).native());
    }

    for (const Owned &o : everything) {
        if (o.owner == app.name)
            continue;
        for (size_t i = 0; i < review.files.size(); ++i) {
            if (!review.files[i].isFileURL() || !selection.isSelected(i))
                continue;
            const fs::path &row = review.files[i].path();
            bool insideOwn = false;
            for (const fs::path &mine : own)
                insideOwn = insideOwn || covers(mine, row);
            if (covers(row, o.path) || (platform::isWithin(row, o.path) && !insideOwn)) {
                score.wronglyTicked.push_back(
                    app.name + ": " + row.lexically_relative(root).native() + "  (" + o.owner +
                    "'s " + o.path.lexically_relative(root).native() + ")");
                break;
            }
        }
    }
    return score;
}

} // namespace zembra::corpus
