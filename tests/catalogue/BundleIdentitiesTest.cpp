// What an application bundle holds besides itself: helpers, login items, services,
// extensions, plug-ins, frameworks and the updaters inside them, and the walk's bounds on
// hostile bundles (thousands of bundles, deep nesting, links, FIFOs, huge Info.plists).
#include "catalogue/BundleIdentities.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>

using namespace zembra;
namespace fs = std::filesystem;
using Kind = InnerBundle::Kind;
using zembra::test::TreeBuilder;

namespace {

void executable(const fs::path &file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "\xcf\xfa\xed\xfe";
    fs::permissions(file, fs::perms::owner_all);
}

// A framework as vendors ship it: the version folder holds the real files, links the rest.
void framework(TreeBuilder &tree, const std::string &relative, const std::string &identifier,
               const std::string &name) {
    const fs::path f = tree / relative;
    fs::create_directories(f / "Versions/A/Resources");
    std::ofstream(f / "Versions/A/Resources/Info.plist")
        << test::xmlPlist("<key>CFBundleIdentifier</key><string>" + identifier +
                          "</string><key>CFBundleName</key><string>" + name +
                          "</string><key>CFBundleExecutable</key><string>" + name + "</string>");
    executable(f / "Versions/A" / name);
    fs::create_directory_symlink("A", f / "Versions/Current");
    fs::create_directory_symlink("Versions/Current/Resources", f / "Resources");
}

struct Found {
    Kind kind;
    const char *identifier;
    const char *executable; // or the name, for a bundle without one
};

} // namespace

TEST(BundleIdentities, CollectsEveryPlaceABundleKeepsOthers) {
    TreeBuilder tree;
    const std::string app = "Applications/Chat.app";
    tree.app(app, "com.example.chat", "Chat", "Chat");
    executable(tree / app / "Contents/MacOS/Chat");
    tree.app(app + "/Contents/Library/LoginItems/Chat Launcher.app", "com.example.chat.launcher",
             "Chat Launcher");
    tree.file(app + "/Contents/Library/LaunchServices/com.example.chat.helper", "tool");
    tree.app(app + "/Contents/XPCServices/Renderer.xpc", "com.example.chat.renderer", "Renderer");
    tree.app(app + "/Contents/PlugIns/Share.appex", "com.example.chat.share", "Share");
    tree.app(app + "/Contents/Library/QuickLook/Preview.appex", "com.example.chat.preview",
             "Preview");
    tree.app(app + "/Contents/Library/Spotlight/Chat.mdimporter", "com.example.chat.mdimporter",
             "Chat Importer");
    framework(tree, app + "/Contents/Frameworks/Chat Framework.framework",
              "com.example.chat.framework", "Chat Framework");
    tree.app(app +
                 "/Contents/Frameworks/Chat Framework.framework/Versions/A/Helpers/Chat Helper.app",
             "com.example.chat.helper.renderer", "Chat Helper");
    framework(tree, app + "/Contents/Frameworks/Sparkle.framework", "org.sparkle-project.Sparkle",
              "Sparkle");
    tree.app(app + "/Contents/Frameworks/Sparkle.framework/Versions/A/Updater.app",
             "org.sparkle-project.Sparkle.Updater", "Updater");
    framework(tree, app + "/Contents/Frameworks/Squirrel.framework", "com.github.Squirrel",
              "Squirrel");
    executable(tree / app / "Contents/Frameworks/Squirrel.framework/Versions/A/Resources/ShipIt");
    executable(tree / app / "Contents/MacOS/chat_crashpad_handler");
    tree.file(app + "/Contents/Resources/en.lproj/Localizable.strings", "\"a\" = \"b\";");
    tree.file(app + "/Contents/MacOS/readme.txt", "not a program");
    tree.app(app + "/Contents/Preferences/Chat Settings.app", "com.example.chat.settings",
             "Chat Settings");

    const BundleIdentities ids = collectBundleIdentities(tree / app);
    EXPECT_TRUE(ids.complete);
    const std::vector<Found> expected = {
        {Kind::Application, "com.example.chat", "Chat"},
        {Kind::HelperTool, "com.example.chat.helper", "com.example.chat.helper"},
        {Kind::Tool, "", "chat_crashpad_handler"},
        {Kind::Framework, "com.example.chat.framework", "Chat Framework"},
        {Kind::Framework, "org.sparkle-project.Sparkle", "Sparkle"},
        {Kind::Framework, "com.github.Squirrel", "Squirrel"},
        {Kind::Tool, "", "ShipIt"},
        {Kind::LoginItem, "com.example.chat.launcher", "Chat Launcher"},
        {Kind::QuickLook, "com.example.chat.preview", "Preview"},
        {Kind::Spotlight, "com.example.chat.mdimporter", "Chat Importer"},
        {Kind::Extension, "com.example.chat.share", "Share"},
        {Kind::Helper, "com.example.chat.settings", "Chat Settings"},
        {Kind::XPCService, "com.example.chat.renderer", "Renderer"},
        {Kind::Helper, "com.example.chat.helper.renderer", "Chat Helper"},
        {Kind::Helper, "org.sparkle-project.Sparkle.Updater", "Updater"},
    };
    ASSERT_EQ(ids.bundles.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(ids.bundles[i].path.native());
        EXPECT_EQ(ids.bundles[i].kind, expected[i].kind);
        EXPECT_EQ(ids.bundles[i].identifier, expected[i].identifier);
        const InnerBundle &b = ids.bundles[i];
        EXPECT_EQ(b.executable.isEmpty() ? b.name : b.executable, expected[i].executable);
    }
    EXPECT_EQ(ids.identifiers().first(), "com.example.chat");
    EXPECT_TRUE(ids.names().contains("ShipIt"));
}

namespace {
struct HostileBundle {
    const char *name;
    std::function<void(TreeBuilder &, const fs::path &app)> make;
    std::size_t maxBundles; // at most this many collected
};
void PrintTo(const HostileBundle &c, std::ostream *os) {
    *os << c.name;
}

std::string plistOf(const std::string &identifier) {
    return test::xmlPlist("<key>CFBundleIdentifier</key><string>" + identifier + "</string>");
}
} // namespace

class HostileBundles : public ::testing::TestWithParam<HostileBundle> {};

TEST_P(HostileBundles, StopAtTheirBoundsWithoutLeavingTheBundle) {
    TreeBuilder tree;
    const fs::path app = tree.app("Applications/Host.app", "com.example.host", "Host");
    tree.app("Elsewhere/Outside.app", "com.example.outside", "Outside");
    GetParam().make(tree, app);

    const auto start = std::chrono::steady_clock::now();
    const BundleIdentities ids = collectBundleIdentities(app);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_LE(ids.bundles.size(), GetParam().maxBundles);
    ASSERT_FALSE(ids.bundles.empty());
    EXPECT_EQ(ids.bundles.front().identifier, "com.example.host");
    for (const InnerBundle &b : ids.bundles) {
        EXPECT_NE(b.identifier, "com.example.outside");
        EXPECT_LE(b.depth, BundleIdentitiesLimits{}.maxDepth);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BundleIdentities, HostileBundles,
    ::testing::Values(
        HostileBundle{
            "TenThousandPlugIns",
            [](TreeBuilder &, const fs::path &app) {
                // Bare bundle folders: the walk's bounds, not their contents, are the point.
                const fs::path plugIns = app / "Contents/PlugIns";
                fs::create_directories(plugIns);
                for (int i = 0; i < 10000; ++i)
                    ASSERT_EQ(
                        ::mkdir((plugIns / ("p" + std::to_string(i) + ".appex")).c_str(), 0755), 0);
            },
            BundleIdentitiesLimits{}.maxBundles},
        HostileBundle{"NestedAHundredDeep",
                      [](TreeBuilder &, const fs::path &app) {
                          fs::path at = app / "Contents";
                          for (int i = 0; i < 100; ++i) {
                              at = at / "PlugIns" / "n.appex" / "Contents";
                              fs::create_directories(at);
                              std::ofstream(at / "Info.plist")
                                  << plistOf("com.example.n" + std::to_string(i));
                          }
                      },
                      std::size_t(BundleIdentitiesLimits{}.maxDepth) + 1},
        HostileBundle{
            "LinksOutAndInLoops",
            [](TreeBuilder &tree, const fs::path &app) {
                fs::create_directories(app / "Contents/PlugIns");
                fs::create_directory_symlink(tree / "Elsewhere/Outside.app",
                                             app / "Contents/PlugIns/Out.appex");
                fs::create_directory_symlink(app, app / "Contents/PlugIns/Loop.appex");
                fs::create_directory_symlink(tree / "Elsewhere", app / "Contents/Frameworks");
                fs::create_directories(app / "Contents/XPCServices/Linked.xpc/Contents");
                fs::create_symlink(tree / "Elsewhere/Outside.app/Contents/Info.plist",
                                   app / "Contents/XPCServices/Linked.xpc/Contents/Info.plist");
            },
            2},
        HostileBundle{
            "FifoAndHugeInfoPlists",
            [](TreeBuilder &, const fs::path &app) {
                fs::create_directories(app / "Contents/PlugIns/Fifo.appex/Contents");
                ASSERT_EQ(
                    mkfifo((app / "Contents/PlugIns/Fifo.appex/Contents/Info.plist").c_str(), 0600),
                    0);
                fs::create_directories(app / "Contents/PlugIns/Huge.appex/Contents");
                std::ofstream(app / "Contents/PlugIns/Huge.appex/Contents/Info.plist")
                    << plistOf("com.example.outside" + std::string(2u << 20, 'x'));
                fs::create_directories(app / "Contents/MacOS");
                ASSERT_EQ(mkfifo((app / "Contents/MacOS/Fifo").c_str(), 0700), 0);
            },
            3}));

TEST(BundleIdentities, BoundsLeaveTheWalkIncomplete) {
    TreeBuilder tree;
    const fs::path app = tree.app("Applications/Wide.app", "com.example.wide", "Wide");
    for (int i = 0; i < 40; ++i)
        tree.app("Applications/Wide.app/Contents/PlugIns/p" + std::to_string(i) + ".appex",
                 "com.example.p" + std::to_string(i));
    EXPECT_TRUE(collectBundleIdentities(app).complete);
    BundleIdentitiesLimits few;
    few.maxBundles = 10;
    const BundleIdentities ids = collectBundleIdentities(app, few);
    EXPECT_FALSE(ids.complete);
    EXPECT_EQ(ids.bundles.size(), 10u);
    EXPECT_FALSE(collectBundleIdentities(tree / "Applications/Missing.app").complete);
}
