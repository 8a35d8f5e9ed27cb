// What the review ticks and offers on bundles laid out as real applications lay them out:
// inner bundles, a signed main executable with a team and groups, vendor folders,
// command-line links. Small trees for each rule; the development set of bench/corpus as
// a whole for the figures.
#include "catalogue/Application.h"
#include "catalogue/BundleIdentities.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "support/Corpus.h"
#include "support/CorpusScore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace zembra;
using namespace zembra::leftovers;
namespace fs = std::filesystem;

namespace {

struct Built {
    QTemporaryDir dir;
    fs::path root;
    std::unique_ptr<platform::SettingsStore> settings;
    corpus::Corpus corpus;
};

// Builds the applications of `files` side by side below a fresh root, every folder granted.
void build(Built &b, const std::vector<fs::path> &files) {
    b.root = fs::path(b.dir.path().toStdString()) / "mac";
    b.corpus = corpus::loadCorpus(files);
    ASSERT_TRUE(b.corpus.errors.empty()) << b.corpus.errors.front();
    corpus::buildCorpusTree(b.corpus, b.root);
    b.settings =
        std::make_unique<platform::SettingsStore>(b.dir.filePath(QStringLiteral("settings.ini")));
    b.settings->setOverride(grants::kApplications, platform::bookmarkData(b.root / "Applications"));
    b.settings->setOverride(grants::kHome, platform::bookmarkData(b.root / "Users/me"));
    b.settings->setOverride(grants::kMacOS, platform::bookmarkData(b.root));
    b.settings->setOverride(grants::kAllowAny, 1);
}

// Each row of the review below the root: "ticked", "flagged" or "offered: REASON".
std::map<std::string, std::string> reviewOf(Built &b, const std::string &bundle) {
    const ApplicationList installed = Application(*b.settings).everyInstalledApplication();
    const auto item = Application(*b.settings).application(b.root / bundle);
    searchLeftovers(*item, *b.settings, SearchMode::Review);
    const Review review = buildReview(*item, *b.settings, installed, true);
    const Selection selection = review.selection();
    std::map<std::string, std::string> out;
    for (size_t i = 0; i < review.files.size(); ++i) {
        if (!review.files[i].isFileURL())
            continue;
        const std::string path = review.files[i].path().lexically_relative(b.root).native();
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

// Builds the applications a corpus text describes.
void buildText(Built &b, const std::string &text) {
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "small.corpus";
    std::ofstream(file) << text;
    build(b, {file});
}

// The review's state of `path`; "" when it is not in the review.
std::string stateOf(const std::map<std::string, std::string> &rows, const std::string &path) {
    const auto it = rows.find(path);
    return it == rows.end() ? std::string() : it->second;
}

bool ticked(const std::map<std::string, std::string> &rows, const std::string &path) {
    return stateOf(rows, path).rfind("ticked", 0) == 0;
}

} // namespace

TEST(RealLayouts, InnerBundlesAndSignature_TieTheirOwnStrongly_ClaimsOfOthersOnlyOffered) {
    Built b;
    buildText(b, R"(
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
inner Contents/Frameworks/Sparkle.framework/Versions/B/Updater.app = org.sparkle-project.Sparkle.Updater = Updater
leaves ~/Library/Group Containers/AB12CD34EF.com.beamhq.beam.shared/
leaves ~/Library/Group Containers/AB12CD34EF.Suite/
leaves ~/Library/Group Containers/group.com.beamhq.beam/
leaves ~/Library/Group Containers/group.com.rival.notes/
leaves ~/Library/HTTPStorages/com.beamhq.beam/
leaves ~/Library/HTTPStorages/com.beamhq.BeamLauncher/
leaves ~/Library/HTTPStorages/net.updatekit.BeamUpdate/
leaves ~/Library/Caches/org.sparkle-project.Sparkle/
leaves ~/Library/Caches/Beamhq Software/Beam/
leaves ~/Library/Application Support/Beamhq/Beam2025.2/
leaves ~/Library/Application Support/Beamhq/Beamer/
leaves ~/Library/Preferences/BeamhqChat.plist
leaves ~/Library/Preferences/com.beamhq.beam2.plist
leaves Library/Application Support/Beamhq/Beam/
leaves usr/local/bin/beam -> ../../../Applications/Beam.app/Contents/MacOS/Beam
leaves usr/local/bin/beamer -> ../../../opt/beamer
)");
    const std::string lib = "Users/me/Library/";
    const auto rows = reviewOf(b, "Applications/Beam.app");
    const std::map<std::string, std::string> expected = {
        // The team's group naming the application, "group." + its identifier (the search
        // lists both itself).
        {lib + "Group Containers/AB12CD34EF.com.beamhq.beam.shared", "ticked"},
        {lib + "Group Containers/group.com.beamhq.beam", "ticked"},
        // The team's group shared by the vendor's products, a group another vendor's
        // identifier names: only offered.
        {lib + "Group Containers/AB12CD34EF.Suite", "offered: application group of its signature"},
        {lib + "Group Containers/group.com.rival.notes",
         "offered: application group of its signature"},
        // Its own identifier, an inner bundle of its own vendor: ticked; another vendor's
        // updater inside it: offered; an embedded framework's: nothing.
        {lib + "HTTPStorages/com.beamhq.beam", "ticked: same identifier in HTTPStorages"},
        {lib + "HTTPStorages/com.beamhq.BeamLauncher",
         "ticked: identifier of a bundle inside the application"},
        {lib + "HTTPStorages/net.updatekit.BeamUpdate",
         "offered: identifier of a bundle inside the application"},
        // Its name, alone or with a version, below its vendor's folder in the home: ticked;
        // in the system's: offered; another product's there: nothing.
        {lib + "Caches/Beamhq Software/Beam", "ticked: vendor folder"},
        {lib + "Application Support/Beamhq/Beam2025.2", "ticked: vendor folder"},
        {"Library/Application Support/Beamhq/Beam", "offered: vendor folder"},
        // The name inside a longer word: listed, unticked, as a weak match.
        {lib + "Preferences/BeamhqChat.plist", "weak"},
        // A link into the bundle: offered; one elsewhere: nothing.
        {"usr/local/bin/beam", "offered: link into the application"},
    };
    for (const auto &[path, state] : expected)
        EXPECT_EQ(stateOf(rows, path), state) << path;
    // Neither an embedded framework's, another product's, a link elsewhere, nor a sibling
    // product's identifier (another application) is ever ticked.
    for (const std::string &never :
         {lib + "Caches/org.sparkle-project.Sparkle", lib + "Application Support/Beamhq/Beamer",
          std::string("usr/local/bin/beamer"), lib + "Preferences/com.beamhq.beam2.plist"})
        EXPECT_FALSE(ticked(rows, never)) << never << ": " << stateOf(rows, never);
}

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
    const auto rows = reviewOf(b, "Applications/Mimic.app");
    for (const auto &[path, state] : rows) {
        if (path.find("rival") != std::string::npos ||
            path.find("Notes Plus") != std::string::npos) {
            EXPECT_FALSE(ticked(rows, path)) << path << ": " << state;
        }
    }
}

// The figures the benchmark prints, on the development set only: nothing of another
// application starts ticked, and the review holds what each application leaves.
TEST(RealLayouts, DevelopmentSet_NothingOfOthersTicked_MostOfEachApplicationsLeftoversFound) {
    const fs::path dir = ZEMBRA_CORPUS_DIR;
    Built b;
    build(b, {dir / "development.corpus", dir / "macos.corpus"});
    const ApplicationList installed = Application(*b.settings).everyInstalledApplication();
    const std::vector<corpus::Owned> everything = corpus::everythingOwned(b.corpus, b.root);

    size_t own = 0, ticked = 0, inReview = 0;
    std::vector<std::string> wronglyTicked;
    for (const corpus::CorpusApp &app : b.corpus.apps) {
        const auto item = Application(*b.settings).application(b.root / app.bundle);
        const SearchResult searched = searchLeftovers(*item, *b.settings, SearchMode::Review);
        // As the command line runs it: the related step reads the search's listings. Read
        // afresh, it finds the same rows.
        const Review review =
            buildReview(*item, *b.settings, installed, true, searched.listings.get());
        const Review fresh = buildReview(*item, *b.settings, installed, true);
        EXPECT_EQ(review.files, fresh.files) << app.bundle;
        EXPECT_EQ(review.reasons, fresh.reasons) << app.bundle;
        EXPECT_EQ(review.tied, fresh.tied) << app.bundle;
        const corpus::ReviewScore score = corpus::scoreReview(app, b.root, review, everything);
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
    struct Case {
        const char *name;
        std::vector<fs::path> rows;
        std::vector<bool> weak;
        std::vector<fs::path> strongElsewhere;
        std::vector<bool> expected;
    };
    const std::vector<Case> cases = {
        {"weak first, then strong", {a, a}, {true, false}, {}, {false, false}},
        {"strong first, then weak", {a, a}, {false, true}, {}, {false, false}},
        {"weak only", {a, a}, {true, true}, {}, {true, true}},
        {"weak, a strong tie of the related step", {a, b}, {true, true}, {a}, {false, true}},
        {"a strong name that only begins alike", {a, b}, {true, false}, {}, {true, false}},
        {"a strong folder above is not the same path",
         {a / "x", a},
         {true, false},
         {},
         {true, false}},
    };
    for (const Case &c : cases) {
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

TEST(StrongestTie, GroupOfItsSignatureFoundByAWeakName_Ticked_OthersStayWeak) {
    Built b;
    buildText(b, R"(
app Applications/Go.app
id com.gosoft.go
name Go
team AB12CD34EF
group AB12CD34EF.com.gosoft.go
leaves ~/Library/Group Containers/AB12CD34EF.com.gosoft.go/
leaves ~/Library/Group Containers/AB12CD34EF.com.gosoft.go/Library/
leaves ~/Library/Preferences/com.gosoft.go.plist

app Applications/Gopher.app
id com.gosoft.gopher
name Gopher
leaves ~/Library/Group Containers/AB12CD34EF.com.gosoft.gopher/
)");
    const std::string groups = "Users/me/Library/Group Containers/";
    const auto rows = reviewOf(b, "Applications/Go.app");
    // The search found it by "Go" alone (weak); the signature owns it: ticked, one row.
    EXPECT_EQ(rows.at(groups + "AB12CD34EF.com.gosoft.go"), "ticked");
    EXPECT_EQ(rows.count(groups + "AB12CD34EF.com.gosoft.go/Library"), 0u);
    // The sibling's group holds "go" only inside a longer word: not ticked.
    EXPECT_FALSE(ticked(rows, groups + "AB12CD34EF.com.gosoft.gopher"));
}

// What real products leave outside the folders named after their identifier: offered,
// unticked, with the rule's reason; look-alikes of the attacker's kind (a short or generic
// name, a sibling product, the name inside another word) are not offered by these rules.
TEST(RealLayouts, NamedAfterTheProductOutsideItsFolders_Offered_LookAlikesNot) {
    Built b;
    buildText(b, R"(
app Applications/meetly.us.app
id us.meetly.xos
name meetly.us
leaves ~/Library/Logs/meetlyinstall.log
leaves ~/Library/Logs/meetlyupdater.log

app Applications/Robot Studio.app
id com.droidco.robot.studio
name Robot Studio
leaves ~/Library/Robot/sdk/

app Applications/Shellix.app
id com.shellix.terminal
name Shellix
leaves ~/.shellix_shell_integration.zsh

app Applications/Postly.app
id com.postlylabs.mac
name Postly
leaves ~/Postly/

app Applications/Cloudbox.app
id com.getcloudbox.cloudbox
name Cloudbox
leaves Library/CloudboxHelperTools/

app Applications/Cloudbox Beta.app
id com.getcloudbox.cloudbox.beta
name Cloudbox Beta

app Applications/Go.app
id com.gosoft.go
name Go

app Applications/Music.app
id com.tunes.music
name Music

system Users/me/Library/Logs/meetlyx.log
system Users/me/Library/Logs/Meetlyinstall.log
system Users/me/Library/Logs/premeetlyinstall.log
system Users/me/Library/Robotics/
system Users/me/Library/Droidco/
system Users/me/Library/Studio
system Users/me/.shellixer
system Users/me/.shellix2_history
system Users/me/.go_history
system Users/me/Postly Notes/
system Users/me/Go/
system Users/me/Music/
system Library/Cloudboxer/
system Library/CloudboxHQ/
system Library/MyCloudboxTools/
system Library/GoTools/
system Users/me/Cloudbox -> ../../Library
system Users/me/Library/Logs/meetlysetup.log -> ../../../../etc
system Library/CloudboxLinkedTools -> ../Users/me
)");
    const std::string home = "Users/me/", lib = "Users/me/Library/";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        // application, entry, what the review shows ("" when it is not in the review)
        {"meetly.us", lib + "Logs/meetlyinstall.log", "offered: log named after the product"},
        {"meetly.us", lib + "Logs/meetlyupdater.log", "offered: log named after the product"},
        {"meetly.us", lib + "Logs/meetlyx.log", ""},
        {"meetly.us", lib + "Logs/meetlysetup.log", ""}, // a link
        {"meetly.us", lib + "Logs/Meetlyinstall.log", ""},
        {"meetly.us", lib + "Logs/premeetlyinstall.log", ""},
        {"Robot Studio", lib + "Robot", "offered: named after a word of the product's name"},
        {"Robot Studio", lib + "Robotics", ""},
        {"Robot Studio", lib + "Droidco", "weak"}, // the vendor's folder: the search's
        {"Robot Studio", lib + "Studio", ""},      // a file, not a folder
        {"Shellix", home + ".shellix_shell_integration.zsh",
         "offered: named after the product, in the home folder"},
        {"Shellix", home + ".shellixer", ""},
        {"Shellix", home + ".shellix2_history", ""},
        {"Postly", home + "Postly", "offered: named after the product, in the home folder"},
        {"Postly", home + "Postly Notes", ""},
        {"Cloudbox", "Library/CloudboxHelperTools", "offered: named after the product and a word"},
        {"Cloudbox", "Library/Cloudboxer", ""},
        {"Cloudbox", "Library/CloudboxHQ", ""},
        {"Cloudbox", "Library/MyCloudboxTools", ""},
        // Links named like the product lead elsewhere: never offered.
        {"Cloudbox", home + "Cloudbox", ""},
        {"Cloudbox", "Library/CloudboxLinkedTools", ""},
        // A sibling product's name is not the application's.
        {"Cloudbox Beta", "Library/CloudboxHelperTools", ""},
        // Two letters tie nothing here; a home folder of the system's is nobody's.
        {"Go", home + ".go_history", ""},
        {"Go", home + "Go", ""},
        {"Go", "Library/GoTools", ""},
        {"Music", home + "Music", ""},
    };
    std::map<std::string, std::map<std::string, std::string>> reviews;
    for (const auto &[app, entry, expected] : cases) {
        if (!reviews.count(app))
            reviews[app] = reviewOf(b, "Applications/" + app + ".app");
        EXPECT_EQ(stateOf(reviews[app], entry), expected) << app << ": " << entry;
    }
}

// The related step tests only the names that can tie; whatever their case or letters, the
// ones that do are still found.
TEST(RealLayouts, IdentifierTies_FoundWhateverTheCaseAndLetters) {
    Built b;
    buildText(b, R"(
app Applications/Maps.app
id com.Zürich.Maps
name Maps
system Users/me/Library/HTTPStorages/com.zürich.maps/
system Users/me/Library/HTTPStorages/COM.ZURICH.MAPS.binarycookies
system Users/me/Library/HTTPStorages/AB12CD34EF.com.zurich.maps.widgets/
system Users/me/Library/HTTPStorages/com.zurich.transit/
system Users/me/Library/HTTPStorages/Group.Com.Zurich.Maps/
system Users/me/Library/HTTPStorages/mirror.of.com.zurich.maps/
system Users/me/Library/HTTPStorages/ZURICHTools/
system Users/me/Library/HTTPStorages/ZurichTools/
system Users/me/Library/HTTPStorages/org.zurich.maps2/
system Users/me/Library/HTTPStorages/de.other.zurich/
)");
    const std::string storages = "Users/me/Library/HTTPStorages/";
    const auto rows = reviewOf(b, "Applications/Maps.app");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"com.zürich.maps", "ticked: same identifier in HTTPStorages"},
        {"COM.ZURICH.MAPS.binarycookies", "ticked: same identifier in HTTPStorages"},
        {"AB12CD34EF.com.zurich.maps.widgets", "offered: team-ID prefix"},
        {"com.zurich.transit", "offered: same vendor"},
        {"Group.Com.Zurich.Maps", "offered: group identifier"},
        {"mirror.of.com.zurich.maps", ""},
        {"ZurichTools", "offered: same vendor"},
        {"ZURICHTools", "offered: same vendor"},
        {"org.zurich.maps2", ""},
        {"de.other.zurich", ""},
    };
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(stateOf(rows, storages + name), expected) << name;
}

// A large vendor's other installed products keep their entries: what another application
// ties to more specifically is not offered as the same vendor's; what no installed
// application names still is.
TEST(RealLayouts, SameVendorEntriesOfAnotherInstalledProduct_NotOffered) {
    Built b;
    buildText(b, R"(
app Applications/Writer.app
id com.lumen.writer
name Writer
leaves ~/Library/Caches/com.lumen.writer/

app Applications/Sheets.app
id com.lumen.sheets
name Sheets
leaves ~/Library/Caches/com.lumen.sheets/
leaves ~/Library/Preferences/com.lumen.sheets.plist
leaves ~/Library/Containers/com.lumen.sheets.extension/

system Users/me/Library/Caches/com.lumen.painter/
system Users/me/Library/Caches/com.lumen.sheetswriter/
system Users/me/Library/Caches/com.lumen.telemetry/
)");
    const std::string lib = "Users/me/Library/";
    const auto rows = reviewOf(b, "Applications/Writer.app");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {lib + "Caches/com.lumen.writer", "ticked"},
        {lib + "Caches/com.lumen.sheets", ""},
        {lib + "Preferences/com.lumen.sheets.plist", ""},
        {lib + "Containers/com.lumen.sheets.extension", ""},
        {lib + "Caches/com.lumen.painter", "offered: same vendor"},
        {lib + "Caches/com.lumen.telemetry", "offered: same vendor"},
        {lib + "Caches/com.lumen.sheetswriter", ""}, // holds Sheets's whole identifier
    };
    for (const auto &[path, expected] : cases)
        EXPECT_EQ(stateOf(rows, path), expected) << path;
}

// A bundle declaring more inner bundles than the walk collects: the related step ties by as many of
// them as the bundle walk collects, no more, and nothing outside the vendor's names.
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
        if (state.find("identifier of a bundle inside the application") != std::string::npos)
            ++byInner;
    EXPECT_GT(byInner, 0u);
    EXPECT_LE(byInner, BundleIdentitiesLimits{}.maxBundles);
    EXPECT_EQ(rows.count("Users/me/Library/HTTPStorages/com.other.app"), 0u);
}
