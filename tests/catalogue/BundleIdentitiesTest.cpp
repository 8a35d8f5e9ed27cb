// The bundles an application holds, the walk's bounds on hostile ones, and the readers on
// real applications' layouts (the development set of bench/corpus).
#include "catalogue/BundleIdentities.h"
#include "catalogue/CodeSignature.h"
#include "support/Corpus.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
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

std::string plistOf(const std::string &identifier, const std::string &more = {}) {
    return test::xmlPlist("<key>CFBundleIdentifier</key><string>" + identifier + "</string>" +
                          more);
}

// A framework as vendors ship it: the version folder holds the real files, links the rest.
void framework(const fs::path &f, const std::string &identifier, const std::string &name) {
    fs::create_directories(f / "Versions/A/Resources");
    std::ofstream(f / "Versions/A/Resources/Info.plist") << plistOf(
        identifier, "<key>CFBundleName</key><string>" + name +
                        "</string><key>CFBundleExecutable</key><string>" + name + "</string>");
    executable(f / "Versions/A" / name);
    fs::create_directory_symlink("A", f / "Versions/Current");
    fs::create_directory_symlink("Versions/Current/Resources", f / "Resources");
}

} // namespace

TEST(BundleIdentities, CollectsEveryPlaceABundleKeepsOthers) {
    // In the order the walk finds them; the name is the executable's, or the bundle's.
    const struct {
        Kind kind;
        std::string path, identifier, name;
    } inner[] = {
        {Kind::HelperTool, "Library/LaunchServices/chat.helper", "chat.helper", "chat.helper"},
        {Kind::Tool, "MacOS/chat_crashpad_handler", "", "chat_crashpad_handler"},
        {Kind::Framework, "Frameworks/Chat Framework.framework", "chat.framework",
         "Chat Framework"},
        {Kind::Framework, "Frameworks/Sparkle.framework", "org.sparkle-project.Sparkle", "Sparkle"},
        {Kind::Framework, "Frameworks/Squirrel.framework", "com.github.Squirrel", "Squirrel"},
        {Kind::Tool, "Frameworks/Squirrel.framework/Versions/A/Resources/ShipIt", "", "ShipIt"},
        {Kind::LoginItem, "Library/LoginItems/Chat Launcher.app", "chat.launcher", "Chat Launcher"},
        {Kind::QuickLook, "Library/QuickLook/Preview.appex", "chat.preview", "Preview"},
        {Kind::Spotlight, "Library/Spotlight/Chat.mdimporter", "chat.mdimporter", "Chat Importer"},
        {Kind::Extension, "PlugIns/Share.appex", "chat.share", "Share"},
        {Kind::Helper, "Preferences/Chat Settings.app", "chat.settings", "Chat Settings"},
        {Kind::XPCService, "XPCServices/Renderer.xpc", "chat.renderer", "Renderer"},
        {Kind::Helper, "Frameworks/Chat Framework.framework/Versions/A/Helpers/Chat Helper.app",
         "chat.helper.renderer", "Chat Helper"},
        {Kind::Helper, "Frameworks/Sparkle.framework/Versions/A/Updater.app",
         "org.sparkle-project.Sparkle.Updater", "Updater"},
    };
    TreeBuilder tree;
    const fs::path app = tree.app("Applications/Chat.app", "com.example.chat", "Chat", "Chat");
    executable(app / "Contents/MacOS/Chat");
    tree.entries({"Applications/Chat.app/Contents/Resources/en.lproj/Localizable.strings",
                  "Applications/Chat.app/Contents/MacOS/readme.txt"});
    for (const auto &b : inner) {
        const fs::path at = app / "Contents" / b.path;
        if (b.kind == Kind::Framework)
            framework(at, b.identifier, b.name);
        else if (b.kind == Kind::Tool)
            executable(at);
        else if (b.kind == Kind::HelperTool)
            tree.file(at.lexically_relative(tree.root()), "tool");
        else
            tree.app(at.lexically_relative(tree.root()), b.identifier, b.name);
    }

    const BundleIdentities ids = collectBundleIdentities(app);
    EXPECT_TRUE(ids.complete);
    ASSERT_EQ(ids.bundles.size(), std::size(inner) + 1);
    EXPECT_EQ(ids.bundles[0].kind, Kind::Application);
    EXPECT_EQ(ids.bundles[0].executable, "Chat");
    for (std::size_t i = 0; i < std::size(inner); ++i) {
        const InnerBundle &b = ids.bundles[i + 1];
        SCOPED_TRACE(b.path.native());
        EXPECT_EQ(b.kind, inner[i].kind);
        EXPECT_EQ(b.identifier.toStdString(), inner[i].identifier);
        EXPECT_EQ((b.executable.isEmpty() ? b.name : b.executable).toStdString(), inner[i].name);
    }
}

TEST(BundleIdentities, HostileBundles_StopAtTheirBoundsIncompleteWithoutLeavingTheBundle) {
    const BundleIdentitiesLimits limits;
    TreeBuilder tree;
    tree.app("Elsewhere/Outside.app", "com.example.outside", "Outside");
    const auto host = [&](const char *name) {
        return tree.app("Applications/" + std::string(name) + ".app", "com.example.host") /
               "Contents";
    };
    // Bare bundle folders: the walk's bounds, not their contents, are the point.
    const fs::path wide = host("Wide") / "PlugIns";
    fs::create_directories(wide);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(::mkdir((wide / ("p" + std::to_string(i) + ".appex")).c_str(), 0755), 0);
    std::string deep = host("Deep").lexically_relative(tree.root());
    for (int i = 0; i < 100; ++i, deep += "/Contents")
        tree.bundleWithPlist(deep += "/PlugIns/n.appex",
                             plistOf("com.example.n" + std::to_string(i)));
    host("Links");
    host("Odd");
    const std::string links = "Applications/Links.app/Contents/",
                      odd = "Applications/Odd.app/Contents/";
    tree.link(links + "PlugIns/Out.appex", tree / "Elsewhere/Outside.app");
    tree.link(links + "PlugIns/Loop.appex", tree / "Applications/Links.app");
    tree.link(links + "Frameworks", tree / "Elsewhere");
    tree.link(links + "XPCServices/Linked.xpc/Contents/Info.plist",
              tree / "Elsewhere/Outside.app/Contents/Info.plist");
    tree.bundleWithPlist(odd + "PlugIns/Huge.appex",
                         plistOf("com.example.outside" + std::string(2u << 20, 'x')));
    tree.entries({odd + "PlugIns/Fifo.appex/Contents/", odd + "MacOS/"});
    for (const char *fifo : {"PlugIns/Fifo.appex/Contents/Info.plist", "MacOS/Fifo"})
        ASSERT_EQ(mkfifo((tree / (odd + fifo)).c_str(), 0700), 0);

    // Each with at most this many bundles collected; a bound reached (the wide and the deep
    // one) leaves the walk incomplete.
    const std::pair<const char *, std::size_t> cases[] = {
        {"Wide", limits.maxBundles}, {"Deep", limits.maxDepth + 1u}, {"Links", 2}, {"Odd", 3}};
    for (const auto &[name, maxBundles] : cases) {
        SCOPED_TRACE(name);
        const BundleIdentities ids =
            collectBundleIdentities(tree / ("Applications/" + std::string(name) + ".app"));
        EXPECT_LE(ids.bundles.size(), maxBundles);
        // The wide one: exactly as many as the bound.
        EXPECT_TRUE(maxBundles != limits.maxBundles || ids.bundles.size() == maxBundles);
        EXPECT_EQ(ids.complete, maxBundles <= 3);
        ASSERT_FALSE(ids.bundles.empty());
        EXPECT_EQ(ids.bundles.front().identifier, "com.example.host");
        for (const InnerBundle &b : ids.bundles) {
            EXPECT_NE(b.identifier, "com.example.outside");
            EXPECT_LE(b.depth, limits.maxDepth);
        }
    }
    EXPECT_FALSE(collectBundleIdentities(tree / "Applications/Missing.app").complete);
}

TEST(Corpus, DevelopmentSetReadsWhole_NoEntryHasTwoOwners_ReadersFindWhatEachBundleDeclares) {
    const fs::path corpusDir = ZEMBRA_CORPUS_DIR;
    const corpus::Corpus c =
        corpus::loadCorpus({corpusDir / "development.corpus", corpusDir / "macos.corpus"});
    ASSERT_TRUE(c.errors.empty()) << c.errors.front();
    EXPECT_GE(c.apps.size(), 24u);
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString());
    corpus::buildCorpusTree(c, root);
    std::set<std::string> identifiers, entries;
    for (const corpus::CorpusApp &app : c.apps) {
        SCOPED_TRACE(app.bundle);
        EXPECT_TRUE(identifiers.insert(app.identifier).second) << app.identifier;
        EXPECT_FALSE(app.leaves.empty());
        for (const std::string &e : app.leaves)
            EXPECT_TRUE(entries.insert(corpus::entryPath("/", e).native()).second) << e;

        const std::optional<CodeSignature> signature =
            readCodeSignature(root / app.bundle / "Contents/MacOS" / app.executable);
        ASSERT_TRUE(signature);
        EXPECT_EQ(signature->identifier.toStdString(), app.identifier);
        EXPECT_EQ(signature->teamIdentifier.toStdString(), app.team);
        QStringList groups;
        for (const std::string &g : app.groups)
            groups.append(QString::fromStdString(g));
        EXPECT_EQ(signature->applicationGroups, groups);

        const BundleIdentities ids = collectBundleIdentities(root / app.bundle);
        EXPECT_TRUE(ids.complete);
        for (const corpus::InnerSpec &inner : app.inner)
            EXPECT_TRUE(ids.identifiers().contains(QString::fromStdString(inner.identifier)))
                << inner.identifier;
        for (const std::string &tool : app.tools)
            EXPECT_TRUE(ids.names().contains(QString::fromStdString(fs::path(tool).filename())))
                << tool;
    }
}
