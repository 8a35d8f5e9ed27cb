// What the review ticks and offers on bundles laid out as real applications lay them out:
// inner bundles, a signed main executable with a team and groups, vendor folders,
// command-line links. Small trees for each rule; the development set of bench/corpus as
// a whole for the figures.
#include "catalogue/Application.h"
#include "catalogue/BundleIdentities.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "support/Corpus.h"
#include "support/CorpusScore.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

struct Built {
    TreeBuilder t;
    TestSettings s;
    corpus::Corpus corpus;
};

// Builds the applications of `files` side by side below a fresh root, every folder granted.
void build(Built &b, const std::vector<fs::path> &files) {
    b.corpus = corpus::loadCorpus(files);
    ASSERT_TRUE(b.corpus.errors.empty()) << b.corpus.errors.front();
    corpus::buildCorpusTree(b.corpus, b.t.root());
    b.s.grantTree(b.t, "Users/me", true);
}

// Builds the applications a corpus text describes.
void buildText(Built &b, const std::string &text) {
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "small.corpus";
    std::ofstream(file) << text;
    build(b, {file});
}

// Each row of the review below the root: "ticked", "flagged" or "offered: REASON".
std::map<std::string, std::string> reviewOf(Built &b, const std::string &bundle) {
    const ApplicationList installed = Application(b.s.store()).everyInstalledApplication();
    const auto item = Application(b.s.store()).application(b.t.root() / bundle);
    searchLeftovers(*item, b.s.store(), SearchMode::Review);
    const Review review = buildReview(*item, b.s.store(), installed, true);
    const Selection selection = review.selection();
    std::map<std::string, std::string> out;
    for (size_t i = 0; i < review.files.size(); ++i) {
        if (!review.files[i].isFileURL())
            continue;
        const std::string path = review.files[i].path().lexically_relative(b.t.root()).native();
        if (selection.isSelected(i))
            out[path] =
                review.isRelated(i) ? "ticked: " + review.reasons[i].toStdString() : "ticked";
        else if (review.flags[i].flagged())
            out[path] = "flagged";
        else if (review.isRelated(i))
            out[path] = "offered: " + review.reasons[i].toStdString();
        else
            out[path] = review.isWeak(i) ? "weak" : "unticked";
    }
    return out;
}

// One row a line: the application reviewed, an entry as the corpus writes it ("~/" the
// home, "/" ends a folder, "A -> B" a link), what its review shows ("" not in it).
struct Row {
    const char *app;
    std::string entry;
    std::string state;
};

// Lays out the `apps` with every row's entry as nobody's, then checks each row.
void expectRows(const std::string &apps, const std::vector<Row> &rows) {
    std::string text = apps + "\n";
    for (const Row &r : rows)
        text += "system " + r.entry + "\n";
    Built b;
    buildText(b, text);
    std::map<std::string, std::map<std::string, std::string>> reviews;
    for (const Row &r : rows) {
        if (!reviews.count(r.app))
            reviews[r.app] = reviewOf(b, std::string("Applications/") + r.app + ".app");
        const auto &review = reviews[r.app];
        const auto it =
            review.find(corpus::entryPath(b.t.root(), r.entry).lexically_relative(b.t.root()));
        EXPECT_EQ(it == review.end() ? std::string() : it->second, r.state)
            << r.app << ": " << r.entry;
    }
}

} // namespace

TEST(RealLayouts, HostileBundle_ClaimingAnotherVendorsIdentifiersAndGroups_TicksNothingOfTheirs) {
    Built b;
    buildText(b, R"(
app Applications/Notes Plus.app
id com.rival.notes
name Notes Plus
team ZZ99ZZ99ZZ
group ZZ99ZZ99ZZ.com.rival.notes
leaves ~/Library/Group Containers/ZZ99ZZ99ZZ.com.rival.notes/
leaves ~/Library/HTTPStorages/com.rival.notes/

app Applications/Mimic.app
id com.mimic.mimic
name Mimic
team MM11MM11MM
group ZZ99ZZ99ZZ.com.rival.notes
group group.com.rival.notes
inner Contents/Library/LoginItems/Helper.app = com.rival.notes = Notes Plus
leaves ~/Library/Caches/com.mimic.mimic/
)");
    for (const auto &[path, state] : reviewOf(b, "Applications/Mimic.app"))
        EXPECT_TRUE(state.rfind("ticked", 0) != 0 || (path.find("rival") == std::string::npos &&
                                                      path.find("Notes Plus") == std::string::npos))
            << path << ": " << state;
}

// The figures the benchmark prints, on the development set only: nothing of another
// application starts ticked, and the review holds what each application leaves.
TEST(RealLayouts, DevelopmentSet_NothingOfOthersTicked_MostOfEachApplicationsLeftoversFound) {
    const fs::path dir = ZEMBRA_CORPUS_DIR;
    Built b;
    build(b, {dir / "development.corpus", dir / "macos.corpus"});
    const ApplicationList installed = Application(b.s.store()).everyInstalledApplication();
    const std::vector<corpus::Owned> everything = corpus::everythingOwned(b.corpus, b.t.root());

    size_t own = 0, ticked = 0, inReview = 0;
    std::vector<std::string> wronglyTicked;
    for (const corpus::CorpusApp &app : b.corpus.apps) {
        const auto item = Application(b.s.store()).application(b.t.root() / app.bundle);
        const SearchResult searched = searchLeftovers(*item, b.s.store(), SearchMode::Review);
        // As the command line runs it: the related step reads the search's listings. Read
        // afresh, it finds the same rows.
        const Review review =
            buildReview(*item, b.s.store(), installed, true, searched.listings.get());
        const Review fresh = buildReview(*item, b.s.store(), installed, true);
        EXPECT_EQ(review.files, fresh.files) << app.bundle;
        EXPECT_EQ(review.reasons, fresh.reasons) << app.bundle;
        EXPECT_EQ(review.tied, fresh.tied) << app.bundle;
        const corpus::ReviewScore score = corpus::scoreReview(app, b.t.root(), review, everything);
        own += score.own;
        inReview += score.inReview;
        ticked += score.ticked;
        wronglyTicked.insert(wronglyTicked.end(), score.wronglyTicked.begin(),
                             score.wronglyTicked.end());
    }
    ASSERT_GT(own, 200u);
    EXPECT_TRUE(wronglyTicked.empty()) << testing::PrintToString(wronglyTicked);
    EXPECT_GE(100 * inReview, 92 * own) << inReview << "/" << own;
    EXPECT_GE(100 * ticked, 75 * own) << ticked << "/" << own;
}

// Two passes (or the search and the related step) may find one entry: the strongest tie
// wins, in whichever order they came.
TEST(StrongestTie, SamePathFoundWeaklyAndStrongly_WeakNowhere_WeakOnlyStaysWeak) {
    const fs::path a = "/r/Library/Caches/Go", b = "/r/Library/Caches/Gopher";
    const struct {
        const char *name;
        std::vector<fs::path> rows;
        std::vector<bool> weak;
        std::vector<fs::path> strongElsewhere;
        std::vector<bool> expected;
    } cases[] = {
        {"weak first, then strong", {a, a}, {true, false}, {}, {false, false}},
        {"strong first, then weak", {a, a}, {false, true}, {}, {false, false}},
        {"weak only", {a, a}, {true, true}, {}, {true, true}},
        {"weak, a strong tie of the related step", {a, b}, {true, true}, {a}, {false, true}},
        {"a strong name that only begins alike", {a, b}, {true, false}, {}, {true, false}},
        {"a strong folder above is another path", {a / "x", a}, {true, false}, {}, {true, false}},
    };
    for (const auto &c : cases) {
        std::vector<FileEntry> files{FileEntry::word(kSupportfiles)};
        std::vector<bool> weak{false};
        for (size_t i = 0; i < c.rows.size(); ++i) {
            files.push_back(FileEntry::file(c.rows[i]));
            weak.push_back(c.weak[i]);
        }
        strongestTieWins(files, weak, c.strongElsewhere);
        EXPECT_EQ(std::vector<bool>(weak.begin() + 1, weak.end()), c.expected) << c.name;
    }
}

// Look-alikes of the attacker's kind (a short or generic name, a sibling product, the name
// inside another word, a link) are not offered; a large vendor's other products keep theirs.
TEST(RealLayouts, ProductsAndTheirNeighbours_EachEntryAsTheReviewShowsIt) {
    const char *meetly = "meetly.us", *robot = "Robot Studio", *shellix = "Shellix",
               *postly = "Postly", *cloudbox = "Cloudbox", *maps = "Maps", *writer = "Writer",
               *log = "offered: log named after the product",
               *home = "offered: named after the product, in the home folder",
               *same = "ticked: same identifier in HTTPStorages", *vendor = "offered: same vendor";
    const std::string groups = "~/Library/Group Containers/AB12CD34EF.com.gosoft.";
    const char *beam = "Beam", *signature = "offered: application group of its signature";
    const std::string inner = "identifier of a bundle inside the application";
    std::string apps;
    for (const std::string app :
         {"meetly.us=us.meetly.xos", "Robot Studio=com.droidco.robot.studio",
          "Shellix=com.shellix.terminal", "Postly=com.postlylabs.mac",
          "Cloudbox=com.getcloudbox.cloudbox", "Cloudbox Beta=com.getcloudbox.cloudbox.beta",
          "Gopher=com.gosoft.gopher", "Music=com.tunes.music", "Maps=com.Zürich.Maps",
          "Writer=com.lumen.writer", "Sheets=com.lumen.sheets"})
        apps += "app Applications/" + app.substr(0, app.find('=')) + ".app\nid " +
                app.substr(app.find('=') + 1) + "\n";
    expectRows(
        apps + R"(app Applications/Go.app
id com.gosoft.go
team AB12CD34EF
group AB12CD34EF.com.gosoft.go
app Applications/Beam.app
id com.beamhq.beam
name Beam
team AB12CD34EF
group AB12CD34EF.com.beamhq.beam.shared
group AB12CD34EF.Suite
group group.com.beamhq.beam
group group.com.rival.notes
inner Contents/Library/LoginItems/Beam Launcher.app = com.beamhq.BeamLauncher = Beam Launcher
inner Contents/Resources/Updater.app = net.updatekit.BeamUpdate = BeamUpdate
inner Contents/Frameworks/Sparkle.framework = org.sparkle-project.Sparkle = Sparkle
inner Contents/Frameworks/Sparkle.framework/Versions/B/Updater.app = org.sparkle-project.Sparkle.Updater = Updater)",
        {
            {meetly, "~/Library/Logs/meetlyinstall.log", log},
            {meetly, "~/Library/Logs/meetlyupdater.log", log},
            {meetly, "~/Library/Logs/meetlyx.log", ""},
            {meetly, "~/Library/Logs/meetlysetup.log -> ../../../../etc", ""},
            {meetly, "~/Library/Logs/Meetlyinstall.log", ""},
            {meetly, "~/Library/Logs/premeetlyinstall.log", ""},
            {robot, "~/Library/Robot/sdk/", ""},
            {robot, "~/Library/Robot/", "offered: named after a word of the product's name"},
            {robot, "~/Library/Robotics/", ""},
            {robot, "~/Library/Droidco/", "weak"}, // the vendor's folder: the search's
            {robot, "~/Library/Studio", ""},       // a file, not a folder
            {shellix, "~/.shellix_shell_integration.zsh", home},
            {shellix, "~/.shellixer", ""},
            {shellix, "~/.shellix2_history", ""},
            {postly, "~/Postly/", home},
            {postly, "~/Postly Notes/", ""},
            {cloudbox, "Library/CloudboxHelperTools/",
             "offered: named after the product and a word"},
            {cloudbox, "Library/Cloudboxer/", ""},
            {cloudbox, "Library/CloudboxHQ/", ""},
            {cloudbox, "Library/MyCloudboxTools/", ""},
            {cloudbox, "~/Cloudbox -> ../../Library", ""},
            {cloudbox, "Library/CloudboxLinkedTools -> ../Users/me", ""},
            // A sibling product's name is not the application's.
            {"Cloudbox Beta", "Library/CloudboxHelperTools/", ""},
            // Two letters tie nothing here; a home folder of the system's is nobody's.
            {"Go", "~/.go_history", ""},
            {"Go", "~/Go/", ""},
            {"Go", "Library/GoTools/", ""},
            {"Music", "~/Music/", ""},
            // Its signature's group, found by "Go" alone (weak): ticked, one row; the
            // sibling's group holds "go" only inside a longer word.
            {"Go", groups + "go/Library/", ""},
            {"Go", groups + "go/", "ticked"},
            {"Go", groups + "gopher/", "flagged"},
            {maps, "~/Library/HTTPStorages/com.zürich.maps/", same},
            {maps, "~/Library/HTTPStorages/COM.ZURICH.MAPS.binarycookies", same},
            {maps, "~/Library/HTTPStorages/AB12CD34EF.com.zurich.maps.widgets/",
             "offered: team-ID prefix"},
            {maps, "~/Library/HTTPStorages/com.zurich.transit/", vendor},
            {maps, "~/Library/HTTPStorages/Group.Com.Zurich.Maps/", "offered: group identifier"},
            {maps, "~/Library/HTTPStorages/mirror.of.com.zurich.maps/", ""},
            {maps, "~/Library/HTTPStorages/ZURICHTools/", vendor},
            {maps, "~/Library/HTTPStorages/ZurichTools/", vendor},
            {maps, "~/Library/HTTPStorages/org.zurich.maps2/", ""},
            {maps, "~/Library/HTTPStorages/de.other.zurich/", ""},
            {writer, "~/Library/Caches/com.lumen.writer/", "ticked"},
            {writer, "~/Library/Caches/com.lumen.sheets/", ""},
            {writer, "~/Library/Preferences/com.lumen.sheets.plist", ""},
            {writer, "~/Library/Containers/com.lumen.sheets.extension/", ""},
            {writer, "~/Library/Caches/com.lumen.painter/", vendor},
            {writer, "~/Library/Caches/com.lumen.telemetry/", vendor},
            // Holds Sheets's whole identifier.
            {writer, "~/Library/Caches/com.lumen.sheetswriter/", ""},
            // The team's group naming the application, "group." + its identifier; the
            // team's group of the whole vendor, or one naming another vendor: offered.
            {beam, "~/Library/Group Containers/AB12CD34EF.com.beamhq.beam.shared/", "ticked"},
            {beam, "~/Library/Group Containers/group.com.beamhq.beam/", "ticked"},
            {beam, "~/Library/Group Containers/AB12CD34EF.Suite/", signature},
            {beam, "~/Library/Group Containers/group.com.rival.notes/", signature},
            // Its identifier, an inner bundle of its vendor: ticked; another vendor's
            // updater inside it: offered; an embedded framework's: nothing.
            {beam, "~/Library/HTTPStorages/com.beamhq.beam/",
             "ticked: same identifier in HTTPStorages"},
            {beam, "~/Library/HTTPStorages/com.beamhq.BeamLauncher/", "ticked: " + inner},
            {beam, "~/Library/HTTPStorages/net.updatekit.BeamUpdate/", "offered: " + inner},
            {beam, "~/Library/Caches/org.sparkle-project.Sparkle/", ""},
            // Its name, alone or with a version, below its vendor's folder in the home:
            // ticked; in the system's: offered; another product's there: nothing.
            {beam, "~/Library/Caches/Beamhq Software/Beam/", "ticked: vendor folder"},
            {beam, "~/Library/Application Support/Beamhq/Beam2025.2/", "ticked: vendor folder"},
            {beam, "Library/Application Support/Beamhq/Beam/", "offered: vendor folder"},
            {beam, "~/Library/Application Support/Beamhq/Beamer/", "weak"},
            // The name inside a longer word: a weak match; a sibling product's identifier.
            {beam, "~/Library/Preferences/BeamhqChat.plist", "weak"},
            {beam, "~/Library/Preferences/com.beamhq.beam2.plist", "weak"},
            // A link into the bundle: offered; one elsewhere: nothing.
            {beam, "usr/local/bin/beam -> ../../../Applications/Beam.app/Contents/MacOS/Beam",
             "offered: link into the application"},
            {beam, "usr/local/bin/beamer -> ../../../opt/beamer", ""},
        });
}

// A bundle declaring more inner bundles than the walk collects: the related step ties by as
// many of them as the bundle walk collects, no more, and nothing outside the vendor's names.
TEST(RealLayouts, HostileBundle_MoreInnerBundlesThanCollected_TiesStayWithinTheWalksBound) {
    std::string corpus = "app Applications/Swarm.app\nid com.swarm.app\nname Swarm\n";
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        corpus += "inner Contents/PlugIns/p" + n + ".appex = com.swarm.p" + n + " = p" + n + "\n";
        corpus += "leaves ~/Library/HTTPStorages/com.swarm.p" + n + "/\n";
    }
    corpus += "\napp Applications/Other.app\nid com.other.app\nname Other\n"
              "leaves ~/Library/HTTPStorages/com.other.app/\n";
    Built b;
    buildText(b, corpus);
    const auto rows = reviewOf(b, "Applications/Swarm.app");
    size_t byInner = 0;
    for (const auto &[path, state] : rows)
        byInner += state.find("identifier of a bundle inside the application") != std::string::npos;
    EXPECT_GT(byInner, 0u);
    EXPECT_LE(byInner, BundleIdentitiesLimits{}.maxBundles);
    EXPECT_EQ(rows.count("Users/me/Library/HTTPStorages/com.other.app"), 0u);
}
