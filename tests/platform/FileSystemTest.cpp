#include "platform/FileSystem.h"
#include "platform/ByteCountFormatter.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace zembra;
using namespace zembra::platform;
using zembra::test::TreeBuilder;
namespace test = zembra::test;

namespace {

std::vector<std::string> names(const std::vector<DirEntry> &entries) {
    std::vector<std::string> out;
    for (const auto &e : entries)
        out.push_back(e.name());
    return out;
}

std::vector<std::string> walk(const fs::path &folder, EnumerationOptions options) {
    std::vector<std::string> out;
    enumerateDeep(folder, options, [&](const VisitedEntry &e) {
        out.push_back(fs::path(std::string(e.path)).lexically_relative(folder).native());
    });
    return out;
}

} // namespace

TEST(Listing, SortedByBytes_HiddenLeftOut_LinksAreEntries_NothingForWhatIsNoFolder) {
    TreeBuilder t;
    t.file("F/b");
    t.file("F/B");
    t.file("F/.hidden");
    t.file("F/a");
    t.link("F/link", "/nonexistent");
    EXPECT_EQ(names(listDirectory(t / "F")), (std::vector<std::string>{"B", "a", "b", "link"}));
    // A missing entry, a file, or a folder reached through a link: nothing.
    t.file("plain");
    t.link("L", t / "F");
    EXPECT_TRUE(listDirectory(t / "missing").empty());
    EXPECT_TRUE(listDirectory(t / "plain").empty());
    EXPECT_TRUE(listDirectory(t / "L").empty());
}

// A listed entry's name is its last component's bytes, whatever they are, and the view
// and the copy agree: the related step and the search test names on it.
TEST(Listing, NamesAreTheLastComponentsBytes) {
    TreeBuilder t;
    const std::vector<std::string> odd = {"plain",       "two words",       "back\\slash",
                                          "line\nbreak", "bad\xff\xfeutf8", "d\xc3\xa9j\xc3\xa0",
                                          "x.y.z"};
    for (const std::string &name : odd)
        t.file("F/sub/" + name);
    for (const fs::path &folder : {t / "F/sub", fs::path((t / "F/sub").native() + "/")}) {
        std::vector<std::string> expected = odd;
        std::sort(expected.begin(), expected.end());
        const std::vector<DirEntry> listed = listDirectory(folder);
        EXPECT_EQ(names(listed), expected);
        const FolderListing names = listNames(folder);
        ASSERT_EQ(names.size(), listed.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            const DirEntry &e = listed[i];
            EXPECT_EQ(e.nameView(), e.path.filename().native());
            EXPECT_EQ(e.path.parent_path(), t / "F/sub");
            EXPECT_EQ(names.name(i), e.nameView());
            EXPECT_EQ(names.type(i), e.type);
            EXPECT_EQ(names.pathOf(folder, i), e.path.native());
        }
    }
}

TEST(DeepEnumeration, PreOrder_SortedChildren_HiddenNotEntered_LinksNotFollowed) {
    TreeBuilder t;
    t.file("R/b/x");
    t.file("R/a/y");
    t.file("R/.h/z");
    t.link("R/c", t / "R/a");
    t.link("R/loop", t / "R");
    EXPECT_EQ(walk(t / "R", EnumerationOptions::SkipHidden),
              (std::vector<std::string>{"a", "a/y", "b", "b/x", "c", "loop"}));
}

TEST(DeepEnumeration, PackagesAreDeliveredButNotEnteredWhenAsked) {
    TreeBuilder t;
    t.file("R/Foo.app/Contents/Info.plist");
    t.file("R/Bar.App/inner");
    EXPECT_EQ(walk(t / "R", EnumerationOptions::SkipHiddenAndPackageDescendants),
              (std::vector<std::string>{"Bar.App", "Bar.App/inner", "Foo.app"}));
    EXPECT_EQ(walk(t / "R", EnumerationOptions::SkipHidden).size(), 5u);
}

TEST(DeepEnumeration, UnreadableSubtreeIsSkipped) {
    TreeBuilder t;
    t.file("R/locked/secret");
    t.file("R/open/file");
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(t / "R/locked");
    EXPECT_TRUE(test::runAsTestUser([&] {
        return walk(t / "R", EnumerationOptions::SkipHidden) ==
                   std::vector<std::string>{"locked", "open", "open/file"} &&
               listDirectory(t / "R/locked").empty();
    }));
    fs::permissions(t / "R/locked", fs::perms(0755));
}

TEST(Names, ExtensionAndDisplayName) {
    EXPECT_EQ(nameExtension("Foo.app"), "app");
    EXPECT_EQ(nameExtension("a.b.c"), "c");
    EXPECT_EQ(nameExtension(".hidden"), "");
    EXPECT_EQ(nameExtension("noext"), "");
    EXPECT_EQ(nameExtension("trailing."), "");
    EXPECT_EQ(displayName("/A/Foo Bar.app"), QStringLiteral("Foo Bar"));
    EXPECT_EQ(displayName("/A/Foo.APP"), QStringLiteral("Foo.APP"));
    EXPECT_EQ(displayName("/A/Media.plugin"), QStringLiteral("Media.plugin"));
    EXPECT_EQ(lastComponent("/"), QStringLiteral("/"));
    EXPECT_EQ(lastComponent("/a/b/"), QStringLiteral("b"));
}

TEST(Sizes, FilesLinksFoldersAndVanishedEntries) {
    TreeBuilder t;
    t.file("D/a", std::string(1000, 'x'));
    t.file("D/sub/b", std::string(24, 'x'));
    t.file("D/.hidden", std::string(500, 'x'));
    t.file("D/Pkg.app/c", std::string(7, 'x'));
    t.file("big", std::string(3000, 'x'));
    const fs::path target = t.file("target", std::string(9999, 'x'));
    const fs::path link = t.link("D/link", target);
    const std::uint64_t linkSize = target.native().size();  // a link's own size: its target's text
    EXPECT_EQ(itemSize(t / "D"), 1000 + 24 + 7 + linkSize); // hidden skipped, package entered
    EXPECT_EQ(itemSize(link), linkSize);
    EXPECT_EQ(itemSize(t / "big"), 3000u);
    EXPECT_EQ(itemSize(t / "gone"), 0u);
}

TEST(ByteCountFormatter, FileStyleDecimalUnits) {
    const std::vector<std::pair<std::uint64_t, const char *>> cases = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {2, "2 bytes"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"},
        {999'499, "999 KB"},
        {999'999, "1 MB"},
        {1'000'000, "1 MB"},
        {1'250'000, "1.3 MB"},
        {12'345'678, "12.3 MB"},
        {1'000'000'000, "1 GB"},
        {1'230'000'000, "1.23 GB"},
        {1'500'000'000'000, "1.5 TB"},
        {UINT64_MAX, "18.45 EB"}};
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(formatByteCount(bytes).toStdString(), text) << bytes;
}
