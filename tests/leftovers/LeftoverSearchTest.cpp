#include "leftovers/LeftoverSearch.h"
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/NameKeys.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

// Markers as "#Word", files relative to the tree.
std::vector<std::string> shown(const std::vector<FileEntry> &files, const TreeBuilder &t) {
    std::vector<std::string> out;
    for (const auto &f : files)
        out.push_back(f.isFileURL() ? f.path().lexically_relative(t.root()).native()
                                    : "#" + f.absoluteString().toStdString());
    return out;
}

class LeftoverSearch : public ::testing::Test {
protected:
    void SetUp() override { s.grantTree(t, "Users/me", false); }

    std::shared_ptr<ApplicationItem> editor() {
        return Application(s).application(
            t.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor"));
    }
    std::vector<std::string> search(ApplicationItem &item, SearchMode mode = SearchMode::Review) {
        searchLeftovers(item, s, mode);
        return shown(item.files(), t);
    }
    std::vector<std::string> search(const std::shared_ptr<ApplicationItem> &item) {
        return search(*item);
    }

    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(LeftoverSearch, WorkedExample) {
    const auto app = editor();
    t.file("Users/me/Library/Preferences/com.vendor.editor.plist", "12345");
    t.file("Users/me/Library/Application Support/Editor/settings.json", "0123456789");
    t.dir("Users/me/Library/Caches/com.vendor.editor");
    t.file("Users/me/Library/LaunchAgents/com.vendor.editor.helper.plist");
    t.file("Users/me/Library/Logs/Editor/Editor.log", "abc");
    t.file("Users/me/Library/Preferences/com.other.app.plist");

    bool called = false;
    getfiles(*app, s, [&](bool ok) { called = ok; });
    EXPECT_TRUE(called);
    const std::string lib = "Users/me/Library/";
    EXPECT_EQ(shown(app->files(), t),
              (std::vector<std::string>{
                  "#Executables", "Applications/Editor.app", "#Preferences",
                  lib + "Preferences/com.vendor.editor.plist", "#Supportfiles",
                  lib + "Application Support/Editor", lib + "Caches/com.vendor.editor",
                  "#LauchAgents", lib + "LaunchAgents/com.vendor.editor.helper.plist", "#Logs",
                  lib + "Logs/Editor", lib + "Logs/Editor/Editor.log"}));
    const auto sizes = app->sizes();
    ASSERT_EQ(sizes.size(), app->files().size());
    EXPECT_EQ(sizes[0], SizeEntry::marker(QStringLiteral("Executables")));
    EXPECT_EQ(sizes[3], SizeEntry::bytes(5));
    EXPECT_EQ(sizes[5], SizeEntry::bytes(10));
    EXPECT_EQ(sizes[10], SizeEntry::bytes(3)); // the folder counts Editor.log ...
    EXPECT_EQ(sizes[11], SizeEntry::bytes(3)); // ... and Editor.log counts again
}

TEST_F(LeftoverSearch, NothingMatches_TheApplicationAlone) {
    const auto app = editor();
    t.file("Applications/Editor.app/Contents/MacOS/Editor", std::string(100, 'x'));
    EXPECT_EQ(search(app), (std::vector<std::string>{"#Executables", "Applications/Editor.app"}));
    const auto sizes = app->sizes();
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_GE(sizes[1].byteCount(), 100u);
}

TEST_F(LeftoverSearch, EnclosingFolder_OnlyWhenItHoldsNoOtherApplication) {
    Application a(s);
    const auto own = a.application(t.app("Applications/Product/Product.app", "com.x.product"));
    EXPECT_EQ(search(own),
              (std::vector<std::string>{"#Executables", "Applications/Product/Product.app",
                                        "#Supportfiles", "Applications/Product"}));
    t.app("Applications/Games/Go.app", "com.x.go");
    t.app("Applications/Board/Puzzles/Tangram.app", "com.x.tangram"); // deeper counts too
    // The application folders themselves, a folder holding another application, and a
    // folder its own name matches: the application alone.
    int n = 0;
    for (const char *bundle :
         {"Applications/Direct.app", "Users/me/Applications/Home.app",
          "Users/me/Downloads/Down.app", "Applications/Games/Chess.app",
          "Applications/Board/Solo.app", "Users/me/Desktop/Applications Helper.app"})
        EXPECT_EQ(search(a.application(t.app(bundle, "com.x.alone" + std::to_string(++n)))).size(),
                  2u)
            << bundle;
}

TEST_F(LeftoverSearch, ProRule) {
    t.file("Users/me/Library/Preferences/com.vendor.editor.pro.plist");
    EXPECT_EQ(search(editor()), (std::vector<std::string>{"#Executables", "Applications/Editor.app",
                                                          "#Preferences"}));

    Application a(s);
    const auto pro = a.application(t.app("Applications/EditorPro.app", "com.vendor.editorpro"));
    t.file("Users/me/Library/Preferences/com.vendor.editorpro.plist");
    EXPECT_EQ(search(pro).back(), "Users/me/Library/Preferences/com.vendor.editorpro.plist");
    const auto producer = a.application(t.app("Applications/Producer.app", "com.x.producer"));
    t.file("Users/me/Library/Containers/com.x.producer.Process");
    EXPECT_EQ(search(producer).back(), "Users/me/Library/Containers/com.x.producer.Process");
}

TEST_F(LeftoverSearch, LabelDigitRule) {
    const auto product =
        Application(s).application(t.app("Applications/Product.app", "com.x.product"));
    for (const char *n : {"Product", "Product 2", "ProductHelper", "Product2", "My Product"})
        t.dir(std::string("Users/me/Library/Application Support/") + n);
    t.dir("Users/me/Library/Application Support/CrashReporter/Product_1");
    const std::string as = "Users/me/Library/Application Support/";
    // "Product2": the character after the label's length is out of range: it goes in.
    EXPECT_EQ(search(product), (std::vector<std::string>{
                                   "#Executables", "Applications/Product.app", "#Supportfiles",
                                   as + "My Product", as + "Product", as + "Product2",
                                   as + "ProductHelper", "#Logs", as + "CrashReporter/Product_1"}));
}

TEST_F(LeftoverSearch, NameKeys) {
    EXPECT_EQ(companyCapitalized(QStringLiteral("VENDOR")), QStringLiteral("Vendor"));
    EXPECT_EQ(companyCapitalized(QStringLiteral("")), QStringLiteral(""));
    EXPECT_EQ(shortLabel(QStringLiteral("X 2")), QStringLiteral("label_name_ad_is_small"));
    EXPECT_EQ(shortLabel(QStringLiteral("42")), QStringLiteral("label_name_ad_is_small"));
    EXPECT_EQ(shortLabel(QStringLiteral("Product 2")), QStringLiteral("Product"));
    EXPECT_EQ(shortLabel(QStringLiteral("a_b[c]")), QStringLiteral("a_b[c]"));
}

TEST_F(LeftoverSearch, AppleRuleChangesTheCompanyForGood) {
    const auto app = Application(s).application(t.app("Applications/Notes.app", "com.apple.Notes"));
    t.dir("Users/me/Library/Caches/Apple");
    EXPECT_EQ(search(app).back(), "Users/me/Library/Caches/Apple"); // capitalised before the change
    EXPECT_EQ(app->company_name(), QStringLiteral("companyname"));
}

TEST_F(LeftoverSearch, LogsAndCsxs) {
    t.file("Users/me/Library/Logs/CSXS/Editor.log");
    t.file("Users/me/Library/Logs/CSXS/vendor-x.log");
    EXPECT_EQ(search(editor()),
              (std::vector<std::string>{"#Executables", "Applications/Editor.app", "#Logs",
                                        "Users/me/Library/Logs/CSXS/Editor.log",
                                        "Users/me/Library/Logs/CSXS/vendor-x.log"}));
}

TEST_F(LeftoverSearch, DesktopExtensionRule_AndDesktopLeftOutWithoutReview) {
    t.file("Users/me/Desktop/Editor.pdf");
    t.dir("Users/me/Desktop/Editor");
    const auto app = editor();
    EXPECT_EQ(search(app), (std::vector<std::string>{"#Executables", "Applications/Editor.app",
                                                     "#Desktop", "Users/me/Desktop/Editor"}));
    EXPECT_EQ(search(*app, SearchMode::WithoutReview).size(), 2u);
}

TEST_F(LeftoverSearch, XcodeDeveloperFolderJoinsTheLastGroup) {
    const auto xcode =
        Application(s).application(t.app("Applications/Xcode.app", "com.apple.dt.Xcode", "Xcode"));
    t.dir("Users/me/Library/Caches/com.apple.dt.Xcode");
    EXPECT_EQ(search(xcode),
              (std::vector<std::string>{"#Executables", "Applications/Xcode.app", "#Supportfiles",
                                        "Users/me/Library/Caches/com.apple.dt.Xcode",
                                        "Users/me/Library/Developer"}));
    EXPECT_EQ(xcode->sizes().back(), SizeEntry::bytes(0)); // appended though missing
}

TEST_F(LeftoverSearch, MarkerWithEmptyGroup_AndOneMarkerPerGroup) {
    t.file("Users/me/Library/Containers/com.vendor.editor.pro");
    t.dir("Users/me/Library/Caches/com.vendor.editor");
    const auto files = search(editor());
    EXPECT_EQ(files,
              (std::vector<std::string>{"#Executables", "Applications/Editor.app", "#Supportfiles",
                                        "Users/me/Library/Caches/com.vendor.editor"}));
}

TEST_F(LeftoverSearch, LoginItems_ProPlusRule_AndHelpersOfTheSameIdentifierSkipped) {
    const auto url = t.app("Applications/Clip.app", "com.clip.main");
    t.app("Applications/Clip.app/Contents/Library/LoginItems/Launcher.app", "com.clip.launcher");
    t.app("Applications/Clip.app/Contents/Library/LoginItems/Same.app", "com.clip.main.helper");
    t.dir("Users/me/Library/Containers/com.clip.launcher");
    t.dir("Users/me/Library/Containers/com.clip.launcher.Plus");
    t.dir("Users/me/Library/Application Scripts/launcher");
    t.dir("Users/me/Library/Containers/com.clip.main.helper.extra");
    const auto app = Application(s).application(url);
    EXPECT_EQ(search(app),
              (std::vector<std::string>{"#Executables", "Applications/Clip.app", "#Supportfiles",
                                        "Users/me/Library/Containers/com.clip.main.helper.extra",
                                        "Users/me/Library/Containers/com.clip.launcher",
                                        "Users/me/Library/Application Scripts/launcher"}));
}

TEST_F(LeftoverSearch, SystemPassesNeedAllowAnyAndAFreshGrant) {
    t.file("Library/LaunchDaemons/com.vendor.editor.helper.plist");
    t.file("var/db/receipts/com.vendor.editor.bom");
    t.file("var/folders/zz/T/com.vendor.editor/x");
    const auto app = editor();
    EXPECT_EQ(search(app).size(), 2u);
    s.grant(grants::kMacOS, t.root());
    const auto files = search(app);
    EXPECT_EQ(files,
              (std::vector<std::string>{"#Executables", "Applications/Editor.app", "#LauchAgents",
                                        "Library/LaunchDaemons/com.vendor.editor.helper.plist",
                                        "#Other", "var/folders/zz/T/com.vendor.editor",
                                        "var/db/receipts/com.vendor.editor.bom"}));
}

TEST_F(LeftoverSearch, WithoutReview_ShortKeysMatchNothing) {
    auto plugin = std::make_shared<ApplicationItem>();
    plugin->setLabel(QStringLiteral("X"));
    plugin->setBundle(QStringLiteral("ab"));
    plugin->setBundle_name(QStringLiteral("ab"));
    plugin->setUrl(t.dir("Users/me/Library/Address Book Plug-Ins/X.bundle"));
    t.file("Users/me/Library/Preferences/com.example.xylophone.plist");
    t.file("Users/me/Library/Caches/ab");
    EXPECT_EQ(search(*plugin, SearchMode::WithoutReview),
              (std::vector<std::string>{"#Executables",
                                        "Users/me/Library/Address Book Plug-Ins/X.bundle"}));
    EXPECT_TRUE(plugin->sizes().empty()); // no sizes before a removal without review
}

TEST_F(LeftoverSearch, LinksAndLoopsAreNotFollowed_UnreadableSkipped) {
    t.link("Users/me/Library/Application Support/loop", t / "Users/me/Library");
    t.link("Users/me/Library/Logs/outside", t / "Applications");
    t.file("Users/me/Library/Application Support/Editor Data/x");
    const auto files = search(editor());
    EXPECT_EQ(files,
              (std::vector<std::string>{"#Executables", "Applications/Editor.app", "#Supportfiles",
                                        "Users/me/Library/Application Support/Editor Data"}));
}

TEST_F(LeftoverSearch, UnicodeNames) {
    const auto app = Application(s).application(
        t.app("Applications/Résumé.app", "com.x.resume", "Résumé", "Resume"));
    t.dir("Users/me/Library/Application Support/Resume");
    t.file("Users/me/Library/Logs/caf\xe9-Resume.log"); // not UTF-8: matched by its readable part
    const auto files = search(app);
    EXPECT_EQ(files,
              (std::vector<std::string>{"#Executables", "Applications/Résumé.app", "#Supportfiles",
                                        "Users/me/Library/Application Support/Resume", "#Logs",
                                        "Users/me/Library/Logs/caf\xe9-Resume.log"}));
}

TEST_F(LeftoverSearch, StandardFoldersAndFoldersItReads_NeverListed_NorBringAMarker) {
    // A one-letter name matches nearly every folder of the Library by the contains test.
    const auto c = Application(s).application(t.app("Applications/C.app", "com.x.c", "C"));
    for (const char *d :
         {"Caches", "Containers", "Cookies", "Application Scripts", "Group Containers", "Services",
          "Safari", "PreferencePanes", "Application Support/CrashReporter"})
        t.dir(std::string("Users/me/Library/") + d);
    EXPECT_EQ(search(c), (std::vector<std::string>{"#Executables", "Applications/C.app"}));
    t.dir("Users/me/Library/Coda"); // an ordinary entry of the Library still counts
    t.file("Users/me/Library/Caches/C");
    EXPECT_EQ(search(c),
              (std::vector<std::string>{"#Executables", "Applications/C.app", "#Supportfiles",
                                        "Users/me/Library/Caches/C", "Users/me/Library/Coda"}));
    // The system Library's standard folders, when the whole disk is granted.
    s.grant(grants::kMacOS, t.root());
    t.dir("Library/Application Support/Caches");
    t.dir("Library/Caches");
    EXPECT_EQ(search(c),
              (std::vector<std::string>{"#Executables", "Applications/C.app", "#Supportfiles",
                                        "Library/Application Support/Caches",
                                        "Users/me/Library/Caches/C", "Users/me/Library/Coda"}));
}

TEST_F(LeftoverSearch, UnreadableHomeOrLibrary_Reported) {
    const auto app = editor();
    t.file("Users/me/Library/Preferences/com.vendor.editor.plist");
    EXPECT_TRUE(searchLeftovers(*app, s, SearchMode::Review).unreadable.empty());
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(t / "Users/me/Library");
    EXPECT_TRUE(test::runAsTestUser([&] {
        const SearchResult r = searchLeftovers(*app, s, SearchMode::WithoutReview);
        return r.unreadable == std::vector<std::filesystem::path>{t / "Users/me/Library"} &&
               app->files().size() == 2;
    }));
    std::filesystem::permissions(t / "Users/me/Library", std::filesystem::perms(0755));
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
        EXPECT_EQ(search(record), (std::vector<std::string>{
                                      "#Executables", "#Preferences",
                                      "Users/me/Library/Preferences/com.lumina.sketchpad.plist"}))
            << where;
    }
}
