// Listing and walking folders, names and sizes, the text rules for names, running processes.
#include "platform/FileSystem.h"
#include "catalogue/ItemRecord.h"
#include "catalogue/SortByLabel.h"
#include "platform/ByteCountFormatter.h"
#include "platform/RunningApplications.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "platform/VisibleText.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

using namespace zembra;
using namespace zembra::platform;
using zembra::test::TreeBuilder;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> walk(const fs::path &folder, EnumerationOptions options) {
    std::vector<std::string> out;
    enumerateDeep(folder, options, [&](const VisitedEntry &e) {
        out.push_back(fs::path(std::string(e.path)).lexically_relative(folder).native());
    });
    return out;
}

// Starts `exe` (a copy of sleep), runs `whileRunning`, and returns the process list's entry
// of it once it shows; the process is ended before returning.
std::optional<RunningApplication> listed(const fs::path &exe,
                                         const std::function<void()> &whileRunning = {}) {
    fs::create_directories(exe.parent_path());
    fs::copy_file("/bin/sleep", exe); // with its mode
    pid_t pid = 0;
    char arg0[] = "sleeper", arg1[] = "30", *argv[] = {arg0, arg1, nullptr};
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0)
        return std::nullopt;
    if (whileRunning) // posix_spawn returns once the program runs
        whileRunning();
    std::optional<RunningApplication> entry;
    for (int tries = 0; tries < 50 && !entry; ++tries, std::this_thread::sleep_for(20ms))
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid && !a.executable.empty() && a.executable.filename() != "sleep")
                entry = a;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return entry;
}

} // namespace

// A listed entry's name is its last component's bytes, whatever they are, and the view
// and the copy agree: the related step and the search test names on it.
TEST(Listing, SortedByBytes_HiddenLeftOut_LinksAreEntries_NamesAreTheLastComponentsBytes) {
    TreeBuilder t;
    std::vector<std::string> odd = {
        "two words", "back\\slash", "line\nbreak", "bad\xff\xfeutf8", "d\xc3\xa9j\xc3\xa0", "x.y.z",
        "Bb",        "ab",          "bb"};
    for (const std::string &name : odd)
        t.file("F/" + name);
    t.file("F/.hidden");
    odd.push_back(t.link("F/link", "/nonexistent").filename());
    std::sort(odd.begin(), odd.end());
    for (const fs::path &folder : {t / "F", fs::path((t / "F").native() + "/")}) {
        const std::vector<DirEntry> listed = listDirectory(folder);
        const FolderListing names = listNames(folder);
        ASSERT_EQ(names.size(), odd.size());
        ASSERT_EQ(listed.size(), odd.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            const DirEntry &e = listed[i];
            EXPECT_EQ(e.nameView(), odd[i]);
            EXPECT_EQ(e.nameView(), e.path.filename().native());
            EXPECT_EQ(e.path.parent_path(), t / "F");
            EXPECT_EQ(names.name(i), e.nameView());
            EXPECT_EQ(names.type(i), e.type);
            EXPECT_EQ(names.pathOf(folder, i), e.path.native());
        }
    }
    t.file("plain");
    t.link("L", t / "F");
    for (const char *none : {"missing", "plain", "L"}) // a folder through a link included
        EXPECT_TRUE(listDirectory(t / none).empty()) << none;
}

TEST(DeepEnumeration, PreOrder_SortedChildren_HiddenNotEntered_LinksNotFollowed_PackagesAsAsked) {
    TreeBuilder t;
    t.entries({"R/b/x", "R/a/y", "R/.h/z", "P/Foo.app/Contents/Info.plist", "P/Bar.App/inner"});
    t.link("R/c", t / "R/a");
    t.link("R/loop", t / "R");
    EXPECT_EQ(walk(t / "R", EnumerationOptions::SkipHidden),
              (std::vector<std::string>{"a", "a/y", "b", "b/x", "c", "loop"}));
    EXPECT_EQ(walk(t / "P", EnumerationOptions::SkipHiddenAndPackageDescendants),
              (std::vector<std::string>{"Bar.App", "Bar.App/inner", "Foo.app"}));
    EXPECT_EQ(walk(t / "P", EnumerationOptions::SkipHidden).size(), 5u);
}

TEST(DeepEnumeration, UnreadableSubtreeIsSkipped) {
    TreeBuilder t;
    t.entries({"R/locked/secret", "R/open/file"});
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(t / "R/locked");
    EXPECT_TRUE(test::runAsTestUser([&] {
        return walk(t / "R", EnumerationOptions::SkipHidden) ==
                   std::vector<std::string>{"locked", "open", "open/file"} &&
               listDirectory(t / "R/locked").empty();
    }));
    fs::permissions(t / "R/locked", fs::perms(0755));
}

TEST(Names, ExtensionDisplayNameByteCountAndSizesOfFilesLinksFoldersAndVanishedEntries) {
    const std::pair<std::uint64_t, const char *> cases[] = {
        {0, "Zero KB"},          {1, "1 byte"},           {2, "2 bytes"},
        {999, "999 bytes"},      {1000, "1 KB"},          {1499, "1 KB"},
        {1500, "2 KB"},          {999499, "999 KB"},      {999999, "1 MB"},
        {1000000, "1 MB"},       {1250000, "1.3 MB"},     {12345678, "12.3 MB"},
        {1000000000, "1 GB"},    {1230000000, "1.23 GB"}, {1500000000000, "1.5 TB"},
        {UINT64_MAX, "18.45 EB"}};
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(formatByteCount(bytes).toStdString(), text) << bytes;
    const std::pair<const char *, const char *> extensions[] = {
        {"Foo.app", "app"}, {"a.b.c", "c"}, {".hidden", ""}, {"noext", ""}, {"trailing.", ""}};
    for (const auto &[name, extension] : extensions)
        EXPECT_EQ(nameExtension(name), extension) << name;
    EXPECT_EQ(displayName("/A/Foo Bar.app"), QStringLiteral("Foo Bar"));
    EXPECT_EQ(displayName("/A/Foo.APP"), QStringLiteral("Foo.APP"));
    EXPECT_EQ(displayName("/A/Media.plugin"), QStringLiteral("Media.plugin"));
    EXPECT_EQ(lastComponent("/"), QStringLiteral("/"));
    EXPECT_EQ(lastComponent("/a/b/"), QStringLiteral("b"));

    // Sizes: a link counts its own, hidden entries are skipped, packages entered.
    TreeBuilder t;
    for (const auto &[file, bytes] :
         {std::pair{"D/a", 1000}, {"D/sub/b", 24}, {"D/.hidden", 500}, {"D/Pkg.app/c", 7}})
        t.file(file, std::string(bytes, 'x'));
    const fs::path link = t.link("D/link", t.file("target", std::string(9999, 'x')));
    const std::uint64_t linkSize = (t / "target").native().size(); // a link's own: its target's
    EXPECT_EQ(itemSize(t / "D"), 1000 + 24 + 7 + linkSize); // hidden skipped, package entered
    EXPECT_EQ(itemSize(link), linkSize);
    EXPECT_EQ(itemSize(t / "target"), 9999u);
    EXPECT_EQ(itemSize(t / "gone"), 0u);
}

TEST(Contains,
     CaseDiacriticAndWidthInsensitive_EmptyKeyMatchesNothing_SortByLabelKeepsEqualOnesInOrder) {
    using Pair = std::pair<const char *, const char *>;
    for (const auto &[text, key] :
         {Pair{"com.Vendor.Editor.plist", "vendor.editor"}, Pair{"Résumé Maker", "resume"},
          Pair{"Straße", "STRASSE"}, Pair{"STRASSE", "straße"}, Pair{"ｅｄｉｔｏｒ", "Editor"},
          Pair{"office", "ﬃ"}})
        EXPECT_TRUE(localizedStandardContains(QString::fromUtf8(text), QString::fromUtf8(key)))
            << text << " / " << key;
    // The last key folds to "".
    for (const char *key : {"Editors", "", "\u0301"})
        EXPECT_FALSE(localizedStandardContains(QStringLiteral("Editor"), QString::fromUtf8(key)))
            << key;
    EXPECT_FALSE(localizedStandardContains(QStringLiteral("anything"), QString()));
    for (const char *s : {"Plain ASCII", "Ünïcödé Ñame", "caf\xc3\xa9"})
        EXPECT_EQ(foldForMatch(std::string_view(s)), foldForMatch(QString::fromUtf8(s))) << s;
    // Bytes that are not UTF-8 fold without failing and match nothing unexpected.
    EXPECT_FALSE(containsFolded(foldForMatch(std::string_view("caf\xe9")),
                                foldForMatch(QStringLiteral("café"))));

    // Sorting by label: case does not group, equal labels keep their order.
    std::vector<std::shared_ptr<ApplicationItem>> items;
    for (const char *label : {"gamma", "Beta", "alpha", "Alpha", "Émile", "zeta"}) {
        items.push_back(std::make_shared<ApplicationItem>());
        items.back()->setLabel(QString::fromUtf8(label));
    }
    sortByLabel(items);
    std::vector<std::string> labels;
    for (const auto &i : items)
        labels.push_back(i->label()->toStdString());
    EXPECT_EQ(labels,
              (std::vector<std::string>{"alpha", "Alpha", "Beta", "Émile", "gamma", "zeta"}));
}

TEST(VisiblyEscaped, ControlsBidiAndBadBytesShown_OneStrictUtf8ReaderAndItsWriterAgree) {
    const std::pair<const char *, const char *> text[] = {
        {"a\rb\n\t", "a\\rb\\n\\t"},
        {"\x1b[2K\x7f\\", "\\x1b[2K\\x7f\\\\"},
        {"x\u0085\u2028\u2029\u202e\u2066\u200f", "x\\u0085\\u2028\\u2029\\u202e\\u2066\\u200f"},
        {"Résumé \xf0\x9f\x93\x84 \xef\xbb\xbf", "Résumé \xf0\x9f\x93\x84 \xef\xbb\xbf"},
        {"", ""}};
    for (const auto &[in, shown] : text)
        EXPECT_EQ(visiblyEscaped(QString::fromUtf8(in)).toStdString(), shown);
    // Bytes: what is not UTF-8 shows as \xHH, controls as above.
    EXPECT_EQ(visiblyEscaped(std::string_view("caf\xe9\r\xc3\xa9\xc0\xaf")).toStdString(),
              "caf\\xe9\\r\xc3\xa9\\xc0\\xaf");
    EXPECT_EQ(visiblyEscaped(std::string_view("a\0b", 3)).toStdString(), "a\\x00b");

    // One strict UTF-8 reader and its writer agree.
    for (const char *good : {"plain", "caf\xc3\xa9", "\xf4\x8f\xbf\xbf", ""})
        EXPECT_TRUE(isUtf8(good)) << good;
    // Latin-1, overlong, surrogate, past U+10FFFF, cut short at the end, lone continuation.
    for (const char *bad : {"caf\xe9", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
                            "\xf4\x90\x80\x80", "\xc3", "ab\xe2\x82", "\x80", "\xff"})
        EXPECT_FALSE(isUtf8(bad)) << bad;
    for (const char32_t cp :
         {0x0, 0x41, 0x7f, 0x80, 0x7ff, 0x800, 0xfeff, 0xffff, 0x10000, 0x10ffff}) {
        std::string bytes;
        appendUtf8(bytes, cp);
        char32_t back = 0;
        EXPECT_EQ(decodeUtf8Sequence(bytes, 0, back), bytes.size()) << unsigned(cp);
        EXPECT_EQ(back, cp);
    }
}

TEST(RunningApplications, ProcessInsideABundleCarriesItsIdentifier_OthersNone_PathsKeptWhole) {
    TreeBuilder t;
    const fs::path exe = t.app("Runner.app", "com.example.runner") / "Contents/MacOS/Runner";
    const auto entry = listed(exe);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->executable, exe);
    EXPECT_EQ(entry->bundleIdentifier, QStringLiteral("com.example.runner"));
    bool selfHasNone = false;
    for (const RunningApplication &a : runningApplications())
        selfHasNone = selfHasNone || (a.pid == getpid() && !a.bundleIdentifier);
    EXPECT_TRUE(selfHasNone);
    // The innermost bundle encloses an executable.
    const auto helper = t.app("Runner.app/Contents/Library/LoginItems/Helper.app", "com.x.helper");
    EXPECT_EQ(enclosingApplicationBundle(helper / "Contents/MacOS/Helper"), helper);
    EXPECT_EQ(enclosingApplicationBundle(exe), t / "Runner.app");
    EXPECT_FALSE(enclosingApplicationBundle("/usr/bin/sleep"));

    // An executable whose name ends in " (deleted)" keeps it whole; a deleted file loses the
    // mark the process list adds.
    const fs::path odd = t / "Runner.app/Contents/MacOS/Runner (deleted)";
    EXPECT_EQ(listed(odd).value_or(RunningApplication{}).executable, odd);
    const fs::path gone = t / "Runner.app/Contents/MacOS/Gone";
    EXPECT_EQ(listed(gone, [&] { fs::remove(gone); }).value_or(RunningApplication{}).executable,
              gone);
}
