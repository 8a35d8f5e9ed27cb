#include "leftovers/LeftoverSearch.h"
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/NameKeys.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

// Lays out `entries` below the root: "~/" is the home, "/" ends a folder, "A -> B" is a
// link to B, and "PATH=IDENTIFIER[=NAME[=EXECUTABLE]]" is an application bundle.
void lay(TreeBuilder &t, const std::vector<std::string> &entries) {
    for (std::string e : entries) {
        for (size_t home; (home = e.find("~/")) != std::string::npos;)
            e.replace(home, 2, "Users/me/");
        QStringList parts = QString::fromStdString(e).split(QLatin1Char('='));
        if (const size_t arrow = e.find(" -> "); arrow != std::string::npos)
            t.link(e.substr(0, arrow), t / e.substr(arrow + 4));
        else if (parts.size() == 1)
            t.entries({e});
        else {
            while (parts.size() < 4)
                parts.append(QString());
            t.app(parts[0].toStdString(), parts[1].toStdString(), parts[2].toStdString(),
                  parts[3].toStdString());
        }
    }
}

// Resets the process's walk threads whatever a test does.
struct WalkThreads {
    explicit WalkThreads(int n) { platform::setDeepFindThreads(n); }
    ~WalkThreads() { platform::setDeepFindThreads(0); }
};

class LeftoverSearch : public ::testing::Test {
public:
    void SetUp() override { s.grantTree(t, "Users/me", false); }

    std::shared_ptr<ApplicationItem> app(const std::string &entry) {
        lay(t, {entry});
        return Application(s).application(t / entry.substr(0, entry.find('=')));
    }
    std::shared_ptr<ApplicationItem> editor() {
        return app("Applications/Editor.app=com.vendor.editor=Editor=Editor");
    }
    // The rows, markers as "#Word", files relative to the root or as "~/" in the home.
    std::string shown(const std::vector<FileEntry> &files) const {
        std::string out;
        for (const auto &f : files) {
            const std::string home = f.path().lexically_relative(t / "Users/me").native();
            out += (out.empty() ? "" : " | ") +
                   (!f.isFileURL()             ? "#" + f.absoluteString().toStdString()
                    : home.rfind("..", 0) != 0 ? "~/" + home
                                               : f.path().lexically_relative(t.root()).native());
        }
        return out;
    }
    // The rows after the item's own two ("#Executables | BUNDLE"), which are checked here.
    std::string search(ItemRecord &item, SearchMode mode = SearchMode::Review) {
        searchLeftovers(item, s, mode);
        const std::string rows = shown(item.files()),
                          head =
                              shown({FileEntry::word(kExecutables), FileEntry::file(*item.url())});
        EXPECT_EQ(rows.substr(0, head.size()), head);
        return rows.substr(std::min(rows.size(), head.size() + 3));
    }
    Review review(ItemRecord &item, const ApplicationList &installed = {}) {
        searchLeftovers(item, s, SearchMode::Review);
        return buildReview(item, s, installed, false);
    }
    // The review row of `path`; fails the test when it is not listed.
    size_t rowOf(const Review &r, const std::string &path) const {
        for (size_t i = 0; i < r.files.size(); ++i)
            if (r.files[i].isFileURL() && r.files[i].path() == t / path)
                return i;
        ADD_FAILURE() << path << " is not listed";
        return 0;
    }

    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(LeftoverSearch, WorkedExample) {
    const auto app = editor();
    t.file("Users/me/Library/Preferences/com.vendor.editor.plist", "12345");
    t.file("Users/me/Library/Application Support/Editor/settings.json", "0123456789");
    t.file("Users/me/Library/Logs/Editor/Editor.log", "abc");
    lay(t, {"~/Library/Caches/com.vendor.editor/",
            "~/Library/LaunchAgents/com.vendor.editor.helper.plist",
            "~/Library/Preferences/com.other.app.plist"});
    bool called = false;
    getfiles(*app, s, [&](bool ok) { called = ok; });
    EXPECT_TRUE(called);
    EXPECT_EQ(shown(app->files()),
              "#Executables | Applications/Editor.app | #Preferences | "
              "~/Library/Preferences/com.vendor.editor.plist | #Supportfiles | "
              "~/Library/Application Support/Editor | ~/Library/Caches/com.vendor.editor | "
              "#LauchAgents | ~/Library/LaunchAgents/com.vendor.editor.helper.plist | #Logs | "
              "~/Library/Logs/Editor | ~/Library/Logs/Editor/Editor.log");
    const auto sizes = app->sizes();
    ASSERT_EQ(sizes.size(), app->files().size());
    EXPECT_EQ(sizes[0], SizeEntry::marker(QStringLiteral("Executables")));
    EXPECT_EQ(sizes[3], SizeEntry::bytes(5));
    EXPECT_EQ(sizes[5], SizeEntry::bytes(10));
    EXPECT_EQ(sizes[10], SizeEntry::bytes(3)); // the folder counts Editor.log ...
    EXPECT_EQ(sizes[11], SizeEntry::bytes(3)); // ... and Editor.log counts again
}

// Each case in a tree of its own: the application (the first entry), what lies around it,
// and every row the search gives.
TEST(LeftoverSearchRows, EachRuleOnItsOwnTree) {
    const std::string editor = "Applications/Editor.app=com.vendor.editor=Editor=Editor";
    const struct {
        const char *name;
        std::vector<std::string> tree;
        std::string rows;
        bool wholeDisk = false;
        SearchMode mode = SearchMode::Review;
    } cases[] = {
        {"a longer identifier's pro variant is another product's",
         {editor, "~/Library/Preferences/com.vendor.editor.pro.plist"},
         "#Preferences"},
        {"the pro product's own preferences",
         {"Applications/EditorPro.app=com.vendor.editorpro",
          "~/Library/Preferences/com.vendor.editorpro.plist"},
         "#Preferences | ~/Library/Preferences/com.vendor.editorpro.plist"},
        {"a name beginning with Pro is not the pro rule's",
         {"Applications/Producer.app=com.x.producer",
          "~/Library/Containers/com.x.producer.Process"},
         "#Supportfiles | ~/Library/Containers/com.x.producer.Process"},
        {"the label followed by a digit, a word or nothing",
         {"Applications/Product.app=com.x.product", "~/Library/Application Support/Product/",
          "~/Library/Application Support/Product 2/",
          "~/Library/Application Support/ProductHelper/", "~/Library/Application Support/Product2/",
          "~/Library/Application Support/My Product/",
          "~/Library/Application Support/CrashReporter/Product_1/"},
         "#Supportfiles | ~/Library/Application Support/My Product | ~/Library/Application "
         "Support/Product | ~/Library/Application Support/Product2 | ~/Library/Application "
         "Support/ProductHelper | #Logs | ~/Library/Application Support/CrashReporter/Product_1"},
        {"logs of the CSXS folder by name and by vendor",
         {editor, "~/Library/Logs/CSXS/Editor.log", "~/Library/Logs/CSXS/vendor-x.log"},
         "#Logs | ~/Library/Logs/CSXS/Editor.log | ~/Library/Logs/CSXS/vendor-x.log"},
        {"a marker only for a group with rows, one per group",
         {editor, "~/Library/Containers/com.vendor.editor.pro",
          "~/Library/Caches/com.vendor.editor/"},
         "#Supportfiles | ~/Library/Caches/com.vendor.editor"},
        {"desktop folders, never files of another extension",
         {editor, "~/Desktop/Editor.pdf", "~/Desktop/Editor/"},
         "#Desktop | ~/Desktop/Editor"},
        {"the desktop left out without review",
         {editor, "~/Desktop/Editor/"},
         "",
         false,
         SearchMode::WithoutReview},
        {"login items by the pro-plus rule, helpers of the same identifier skipped",
         {"Applications/Clip.app=com.clip.main",
          "Applications/Clip.app/Contents/Library/LoginItems/Launcher.app=com.clip.launcher",
          "Applications/Clip.app/Contents/Library/LoginItems/Same.app=com.clip.main.helper",
          "~/Library/Containers/com.clip.launcher/", "~/Library/Containers/com.clip.launcher.Plus/",
          "~/Library/Application Scripts/launcher/",
          "~/Library/Containers/com.clip.main.helper.extra/"},
         "#Supportfiles | ~/Library/Containers/com.clip.main.helper.extra | "
         "~/Library/Containers/com.clip.launcher | ~/Library/Application Scripts/launcher"},
        {"system folders need the whole disk",
         {editor, "Library/LaunchDaemons/com.vendor.editor.helper.plist",
          "var/db/receipts/com.vendor.editor.bom", "var/folders/zz/T/com.vendor.editor/x"},
         ""},
        {"system folders with the whole disk",
         {editor, "Library/LaunchDaemons/com.vendor.editor.helper.plist",
          "var/db/receipts/com.vendor.editor.bom", "var/folders/zz/T/com.vendor.editor/x"},
         "#LauchAgents | Library/LaunchDaemons/com.vendor.editor.helper.plist | #Other | "
         "var/folders/zz/T/com.vendor.editor | var/db/receipts/com.vendor.editor.bom",
         true},
        {"links and loops are not followed",
         {editor, "~/Library/Application Support/loop -> ~/Library",
          "~/Library/Logs/outside -> Applications", "~/Library/Application Support/Editor Data/x"},
         "#Supportfiles | ~/Library/Application Support/Editor Data"},
        {"names with accents, and one that is not UTF-8 by its readable part",
         {"Applications/Résumé.app=com.x.resume=Résumé=Resume",
          "~/Library/Application Support/Resume/", "~/Library/Logs/caf\xe9-Resume.log"},
         "#Supportfiles | ~/Library/Application Support/Resume | #Logs | "
         "~/Library/Logs/caf\xe9-Resume.log"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        struct Tree : LeftoverSearch {
            void TestBody() override {}
        } f;
        f.s.grantTree(f.t, "Users/me", c.wholeDisk);
        lay(f.t, c.tree);
        const auto item = f.app(c.tree.front());
        EXPECT_EQ(f.search(*item, c.mode), c.rows);
    }
}

TEST_F(LeftoverSearch, EnclosingFolder_OnlyWhenItHoldsNoOtherApplication) {
    Application a(s);
    const auto own = app("Applications/Product/Product.app=com.x.product");
    t.file("Applications/Product/Product.app/Contents/MacOS/Product", std::string(100, 'x'));
    EXPECT_EQ(search(*own), "#Supportfiles | Applications/Product");
    EXPECT_GE(own->sizes()[1].byteCount(), 100u);
    lay(t, {"Applications/Games/Go.app=com.x.go",
            "Applications/Board/Puzzles/Tangram.app=com.x.tangram"}); // deeper counts too
    // The application folders themselves, a folder holding another application, and a
    // folder its own name matches: the application alone.
    int n = 0;
    for (const char *bundle :
         {"Applications/Direct.app", "Users/me/Applications/Home.app",
          "Users/me/Downloads/Down.app", "Applications/Games/Chess.app",
          "Applications/Board/Solo.app", "Users/me/Desktop/Applications Helper.app"})
        EXPECT_EQ(search(*a.application(t.app(bundle, "com.x.alone" + std::to_string(++n)))), "")
            << bundle;
}

TEST(NameKeys, CapitalisedCompany_ShortLabel) {
    EXPECT_EQ(companyCapitalized(QStringLiteral("VENDOR")), QStringLiteral("Vendor"));
    EXPECT_EQ(companyCapitalized(QStringLiteral("")), QStringLiteral(""));
    for (const auto &[label, key] :
         std::vector<std::pair<const char *, const char *>>{{"X 2", "label_name_ad_is_small"},
                                                            {"42", "label_name_ad_is_small"},
                                                            {"Product 2", "Product"},
                                                            {"a_b[c]", "a_b[c]"}})
        EXPECT_EQ(shortLabel(QString::fromLatin1(label)), QString::fromLatin1(key)) << label;
}

TEST_F(LeftoverSearch, AppleRuleChangesTheCompanyForGood_XcodeDeveloperFolderJoinsTheLastGroup) {
    const auto notes = app("Applications/Notes.app=com.apple.Notes");
    t.dir("Users/me/Library/Caches/Apple");
    EXPECT_EQ(search(*notes),
              "#Supportfiles | ~/Library/Caches/Apple"); // capitalised before the change
    EXPECT_EQ(notes->company_name(), QStringLiteral("companyname"));

    fs::remove(t / "Users/me/Library/Caches/Apple");
    const auto xcode = app("Applications/Xcode.app=com.apple.dt.Xcode=Xcode");
    t.dir("Users/me/Library/Caches/com.apple.dt.Xcode");
    EXPECT_EQ(search(*xcode),
              "#Supportfiles | ~/Library/Caches/com.apple.dt.Xcode | ~/Library/Developer");
    EXPECT_EQ(xcode->sizes().back(), SizeEntry::bytes(0)); // appended though missing
}

TEST_F(LeftoverSearch, WithoutReview_ShortKeysMatchNothing) {
    ApplicationItem plugin;
    plugin.setLabel(QStringLiteral("X"));
    plugin.setBundle(QStringLiteral("ab"));
    plugin.setBundle_name(QStringLiteral("ab"));
    plugin.setUrl(t.dir("Users/me/Library/Address Book Plug-Ins/X.bundle"));
    lay(t, {"~/Library/Preferences/com.example.xylophone.plist", "~/Library/Caches/ab"});
    EXPECT_EQ(search(plugin, SearchMode::WithoutReview), "");
    EXPECT_TRUE(plugin.sizes().empty()); // no sizes before a removal without review
}

// A one-letter name matches nearly every folder of the Library by the contains test: the
// standard folders are never rows, and the rows only it found are weak.
TEST_F(LeftoverSearch, StandardFoldersNeverListed_RowsOnlyAWeakNameFound_AreWeak) {
    const auto c = app("Applications/C.app=com.x.c=C");
    lay(t, {"~/Library/Caches/", "~/Library/Containers/", "~/Library/Cookies/",
            "~/Library/Application Scripts/", "~/Library/Group Containers/", "~/Library/Services/",
            "~/Library/Safari/", "~/Library/PreferencePanes/",
            "~/Library/Application Support/CrashReporter/"});
    EXPECT_EQ(search(*c), "");
    lay(t, {"~/Library/Coda/", "~/Library/Caches/C", "~/Library/Caches/com.x.c/"});
    EXPECT_EQ(search(*c),
              "#Supportfiles | ~/Library/Caches/C | ~/Library/Caches/com.x.c | ~/Library/Coda");
    EXPECT_EQ(c->weakRows(), (std::vector<bool>{false, false, false, true, false, true}));
    // Replacing the list by hand drops flags that no longer belong to it.
    c->setFiles(c->files());
    EXPECT_TRUE(c->weakRows().empty());
    // The system Library's standard folders, when the whole disk is granted.
    s.grant(grants::kMacOS, t.root());
    lay(t, {"Library/Application Support/Caches/", "Library/Caches/"});
    EXPECT_EQ(search(*c), "#Supportfiles | Library/Application Support/Caches | ~/Library/Caches/C "
                          "| ~/Library/Caches/com.x.c | ~/Library/Coda");
}

TEST_F(LeftoverSearch, UnreadableHomeOrLibrary_Reported) {
    const auto app = editor();
    t.file("Users/me/Library/Preferences/com.vendor.editor.plist");
    EXPECT_TRUE(searchLeftovers(*app, s, SearchMode::Review).unreadable.empty());
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(t / "Users/me/Library");
    EXPECT_TRUE(test::runAsTestUser([&] {
        const SearchResult r = searchLeftovers(*app, s, SearchMode::WithoutReview);
        return r.unreadable == std::vector<fs::path>{t / "Users/me/Library"} &&
               app->files().size() == 2;
    }));
    fs::permissions(t / "Users/me/Library", fs::perms(0755));
}

TEST_F(LeftoverSearch, RecordNamingAGrantedOrStandardFolder_NeverListsIt) {
    // A record may come from a stored memory rather than a bundle just read: its path is
    // not trusted to be a bundle.
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad.plist");
    for (const std::string where : {"Users/me", "Users/me/Library", "Users/me/Library/Preferences",
                                    "Applications", "Users"}) {
        ApplicationItem record;
        record.setLabel(QStringLiteral("Sketchpad"));
        record.setBundle(QStringLiteral("com.lumina.sketchpad"));
        record.setUrl(t / where);
        searchLeftovers(record, s, SearchMode::Review);
        EXPECT_EQ(shown(record.files()),
                  "#Executables | #Preferences | ~/Library/Preferences/com.lumina.sketchpad.plist")
            << where;
    }
}

// Shared folders (ByHost, the crash and diagnostic reports) hold every application's
// entries: never a row of their own, whatever the item is named, nor a link in their place.
TEST_F(LeftoverSearch, SharedFolderNames_NeverListedWhole_TheirEntriesStill) {
    s.grant(grants::kMacOS, t.root());
    for (const std::string folder :
         {"Preferences/ByHost/", "Logs/DiagnosticReports/", "Logs/CrashReporter/"})
        lay(t, {"~/Library/" + folder + "com.apple.other.0123456789AB.plist",
                "Library/" + folder + "other.log"});
    // An application named so throughout, its identifier "com.tester." and the name.
    const auto named = [this](const std::string &n) {
        return app("Applications/" + n + ".app=com.tester." + n + "=" + n + "=" + n);
    };
    const struct {
        const char *name, *entry; // the one row, found inside; "" none at all
    } cases[] = {
        {"ByHost", ""},
        {"BYHOST", ""},
        {"DiagnosticReports", "~/Library/Logs/DiagnosticReports/DiagnosticReports_2024.crash"},
        {"diagnosticreports", "~/Library/Logs/DiagnosticReports/DiagnosticReports_2024.crash"},
        {"CrashReporter", "~/Library/Logs/CrashReporter/CrashReporter.log"},
    };
    for (const auto &c : cases) {
        if (*c.entry)
            lay(t, {c.entry});
        for (SearchMode mode : {SearchMode::Review, SearchMode::WithoutReview})
            EXPECT_EQ(search(*named(c.name), mode),
                      *c.entry ? "#Logs | " + std::string(c.entry) : "")
                << c.name;
        if (*c.entry)
            fs::remove(t / ("Users/me/" + std::string(c.entry + 2)));
    }
    // A link where the shared folder should be is not listed either (deleting the link
    // would take every application's reports off their path).
    fs::remove_all(t / "Users/me/Library/Logs/DiagnosticReports");
    t.link("Users/me/Library/Logs/DiagnosticReports", t.dir("Elsewhere/Reports"));
    EXPECT_EQ(search(*named("DiagnosticReports"), SearchMode::WithoutReview), "");
}

TEST(WeakKey, ShortLetterlessOrGeneric_IsWeak) {
    for (const char *weak : {"", "a", "Go", ".", "..", "  ab  ", "123", "2048", "...", "!?#",
                             "日本語", "com", "COM", " Helper ", "updater", "Pro", "desktop"})
        EXPECT_TRUE(isWeakKey(QString::fromUtf8(weak))) << weak;
    for (const char *strong : {"abc", "7zX", "Editor", "com.vendor.editor", "Helpers", "ByHost"})
        EXPECT_FALSE(isWeakKey(QString::fromUtf8(strong))) << strong;
}

TEST_F(LeftoverSearch, Review_WeakRowsStartUnticked_AStrongKeyOrTheFolderHoldingThemTicks) {
    const auto go = app("Applications/Go.app=com.gosoft.go=Go");
    lay(t, {"~/Library/Application Support/Google/Go Cache",
            "~/Library/Preferences/com.gosoft.go.plist", "~/Library/Caches/com.gosoft.go/",
            "~/Library/Logs/com.gosoft.go/Go.log"});
    const std::string lib = "Users/me/Library/";
    const Review r = review(*go, Application(s).everyInstalledApplication());
    const Selection selection = r.selection();
    EXPECT_EQ(r.files, go->files());      // the search's rows, in its order
    EXPECT_TRUE(selection.isSelected(1)); // the application itself
    EXPECT_FALSE(selection.isSelected(rowOf(r, lib + "Application Support/Google")));
    EXPECT_EQ(r.keptReasons(selection)[rowOf(r, lib + "Application Support/Google")],
              kKeptWeakMatch);
    EXPECT_FALSE(selection.isSelected(rowOf(r, lib + "Application Support/Google/Go Cache")));
    // "Go" (weak) and the identifier (strong) both find the cache: it is the item's.
    for (const char *own : {"Preferences/com.gosoft.go.plist", "Caches/com.gosoft.go",
                            "Logs/com.gosoft.go", "Logs/com.gosoft.go/Go.log"})
        EXPECT_TRUE(selection.isSelected(rowOf(r, lib + own))) << own;
    const size_t log = rowOf(r, lib + "Logs/com.gosoft.go/Go.log");
    EXPECT_TRUE(go->weakRows()[log]); // only the label found it, but its folder is the item's
    EXPECT_FALSE(r.isWeak(log));
}

TEST(WeakMatch, LoginItemWithAWeakIdentifier_OthersContainersStartUnticked) {
    for (const char *identifier : {"com", "a", "."}) {
        struct Tree : LeftoverSearch {
            void TestBody() override {}
        } f;
        f.SetUp();
        const auto clip = f.app("Applications/Clip.app=com.clip.main=Clip");
        lay(f.t, {"Applications/Clip.app/Contents/Library/LoginItems/Launcher.app=" +
                      std::string(identifier),
                  "~/Library/Containers/com.apple.mail/", "~/Library/Containers/com.apple.Notes/",
                  "~/Library/Application Scripts/com.apple.mail/"});
        const Review r = f.review(*clip);
        const Selection selection = r.selection();
        for (const char *other : {"Containers/com.apple.mail", "Containers/com.apple.Notes",
                                  "Application Scripts/com.apple.mail"}) {
            const size_t row = f.rowOf(r, std::string("Users/me/Library/") + other);
            EXPECT_FALSE(selection.isSelected(row)) << identifier << ": " << other;
            EXPECT_EQ(r.keptReasons(selection)[row], kKeptWeakMatch) << identifier << ": " << other;
        }
    }
}

TEST(ReviewRows, RowsTheScopeRefuses_StartUntickedAndSayWhy_OthersAsBefore) {
    Review review;
    review.files = {FileEntry::file("/h/Library/Preferences/a.plist"),
                    FileEntry::file("/Library/LaunchAgents/a.plist")};
    review.sizes = {SizeEntry::bytes(1), SizeEntry::bytes(2)};
    review.flags.resize(2);
    review.searchRows = 2;
    review.markNotAllowed([](const fs::path &p) { return p.native().rfind("/h/", 0) == 0; });
    const Selection selection = review.selection();
    EXPECT_TRUE(selection.isSelected(0));
    EXPECT_FALSE(selection.isSelected(1));
    EXPECT_EQ(review.keptReasons(selection), (std::vector<QString>{QString(), kKeptNotAllowed}));
}

TEST_F(LeftoverSearch, ParallelWalk_SameRowsAsTheSerialWalk_CancelledInsideADeepWalkEndsIt) {
    // The whole disk granted, many folders in every deep pass, matches at every depth,
    // hostile names among them.
    s.grantTree(t, "Users/me", true);
    const std::string lib = "Users/me/Library/";
    for (int i = 0; i < 30; ++i) {
        const std::string n = std::to_string(i), product = lib + "Application Support/Product " + n,
                          service = lib + "Logs/Service " + n;
        t.entries({product + "/Data/Editor cache " + n, product + "/com.vendor.editor." + n + "/x",
                   product + "/Helper.app/Contents/Editor.log", service + "/Editor\n" + n + ".log",
                   service + "/Editor \xff" + n + "/inner/Editor.txt", service + "/plain/file",
                   "Library/Logs/Daemon " + n + "/com.vendor.editor.log",
                   "var/folders/z" + n + "/T/com.vendor.editor/" + n,
                   "var/db/receipts/other." + n + "/Editor.bom"});
    }
    t.file(lib + "Application Support/Editor/settings.json", "0123456789");
    t.link(lib + "Logs/Editor linked", t / "Users/me/Library/Application Support/Editor");
    const auto searchWith = [this](int threads) {
        const WalkThreads walk(threads);
        const auto item = editor();
        searchLeftovers(*item, s, SearchMode::Review);
        return std::pair(item->files(), item->sizes());
    };
    const auto serial = searchWith(1);
    ASSERT_GT(serial.first.size(), 150u);
    for (int threads : {2, 4, 8})
        EXPECT_EQ(searchWith(threads), serial) << threads;
    // Nothing through the link, nothing inside the package.
    for (const FileEntry &f : serial.first) {
        EXPECT_EQ(f.path().native().find("Editor linked/"), std::string::npos) << f.path();
        EXPECT_EQ(f.path().native().find("Helper.app/"), std::string::npos) << f.path();
    }
    for (int threads : {1, 4}) {
        std::atomic<int> asked{0};
        std::atomic<bool> elsewhere{false};
        const auto caller = std::this_thread::get_id();
        const WalkThreads walk(threads);
        const auto app = editor();
        // True from the tenth question on: inside the first deep walk. The question is
        // put on the searching thread only (a screen's cancel check need not be
        // thread-safe).
        const SearchResult result = searchLeftovers(*app, s, SearchMode::Review, [&] {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            return ++asked > 10;
        });
        EXPECT_TRUE(result.cancelled) << threads;
        EXPECT_FALSE(elsewhere) << threads;
        EXPECT_TRUE(app->sizes().empty()) << threads;
    }
}
