// Safari's list rewritten without a removed extension: kept in its format, checked to
// read back equal, reached only through real folders, and never left half-written.
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "platform/DeletionScope.h"
#include "platform/PropertyList.h"
#include "support/CaseName.h"
#include "support/HostilePlists.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <bit>
#include <functional>
#include <optional>

using namespace zembra;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

const char *kList = "home/Library/Safari/Extensions/Extensions.plist";

// The home folder granted, as a removal's scope holds it.
platform::DeletionScope homeScope(TreeBuilder &t) {
    platform::DeletionScope scope;
    scope.addFolder(t.dir("home"));
    return scope;
}

plist_t entry(const char *archive, const char *identifier) {
    plist_t e = plist_new_dict();
    plist_dict_set_item(e, "Archive File Name", plist_new_string(archive));
    plist_dict_set_item(e, "Bundle Identifier", plist_new_string(identifier));
    return e;
}

std::string bigEndianDouble(double value) {
    return test::bigEndian(std::bit_cast<std::uint64_t>(value), 8);
}

// A binary list whose kept entry holds control characters and a date in the year 4,
// which libplist's XML writer cannot write (raw control characters, a one-digit year).
std::string binaryListWithOddValues() {
    plist_t root = plist_new_dict();
    plist_t installed = plist_new_array();
    plist_t kept = entry("Kept.safariextz", "id.kept");
    plist_dict_set_item(kept, "Note",
                        plist_new_string("tab\tbell\x07"
                                         "escape\x1b"));
    plist_dict_set_item(kept, "Installed", plist_new_date(1000, 0));
    plist_array_append_item(installed, kept);
    plist_array_append_item(installed, entry("Gone.safariextz", "id.gone"));
    plist_dict_set_item(root, "Installed Extensions", installed);
    std::string bytes = platform::PropertyList::adopt(root).toBinary().toStdString();
    const size_t at = bytes.find(std::string("\x33").append(bigEndianDouble(1000.0)));
    bytes.replace(at + 1, 8, bigEndianDouble(-63000000000.0));
    return bytes;
}

} // namespace

TEST(SafariListRewrite, BinaryListWithControlCharactersAndOldDate_StaysBinaryKeepsThem) {
    TreeBuilder t;
    const std::string original = binaryListWithOddValues();
    const auto file = t.file(kList, original);
    ASSERT_TRUE(platform::PropertyList::fromFile(file).isValid());
    EXPECT_EQ(safari::removeFromList(homeScope(t), t / "home", QStringLiteral("id.gone")),
              safari::RewriteResult::Rewritten);
    const std::string rewritten = test::readFile(file);
    EXPECT_EQ(rewritten.rfind("bplist00", 0), 0u);
    EXPECT_NE(rewritten.find(std::string("\x33").append(bigEndianDouble(-63000000000.0))),
              std::string::npos);
    const auto list = platform::PropertyList::fromFile(file);
    const auto installed = list.root().item("Installed Extensions");
    ASSERT_EQ(installed.count(), 1u);
    EXPECT_EQ(installed.at(0).item("Note").string(), QStringLiteral("tab\tbell\x07"
                                                                    "escape\x1b"));
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
}

namespace {

// Each case lays out a list that must be left byte for byte as it was, and returns the file
// that holds it (elsewhere when the list is reached through a link).
struct UntouchedCase {
    const char *name;
    std::function<fs::path(TreeBuilder &)> build;
    std::optional<QString> identifier;
    safari::RewriteResult expected;
};
ZEMBRA_PRINT_CASE_BY_NAME(UntouchedCase)

class SafariListUntouched : public ::testing::TestWithParam<UntouchedCase> {};

} // namespace

TEST_P(SafariListUntouched, FileAndFolderAsTheyWere) {
    TreeBuilder t;
    const fs::path file = GetParam().build(t);
    const std::string original = test::readFile(file);
    const bool listWasLink = fs::is_symlink(t / kList);
    EXPECT_EQ(safari::removeFromList(homeScope(t), t / "home", GetParam().identifier),
              GetParam().expected);
    EXPECT_EQ(test::readFile(file), original);
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
    EXPECT_EQ(fs::is_symlink(t / kList), listWasLink);
}

INSTANTIATE_TEST_SUITE_P(
    SafariListRewrite, SafariListUntouched,
    ::testing::Values(
        // Which of the two arrays would Safari take? Neither is guessed at.
        UntouchedCase{"ListKeyTwice_WouldNotReadBack",
                      [](TreeBuilder &t) {
                          return t.file(kList, test::safariList(
                                                   test::safariEntry("A.safariextz", "id.a"),
                                                   "<key>Installed Extensions</key><array>" +
                                                       test::safariEntry("B.safariextz", "id.a") +
                                                       "</array>"));
                      },
                      QStringLiteral("id.a"), safari::RewriteResult::WouldNotReadBack},
        UntouchedCase{"ExtensionsFolderIsALink_NotPlainFolder",
                      [](TreeBuilder &t) {
                          const auto foreign =
                              t.file("elsewhere/Extensions.plist", binaryListWithOddValues());
                          t.dir("home/Library/Safari");
                          t.link("home/Library/Safari/Extensions", foreign.parent_path());
                          return foreign;
                      },
                      QStringLiteral("id.gone"), safari::RewriteResult::NotPlainFolder},
        UntouchedCase{"ListIsALink_LeftUnreadable",
                      [](TreeBuilder &t) {
                          const auto outside =
                              t.file("elsewhere/Extensions.plist", binaryListWithOddValues());
                          t.dir("home/Library/Safari/Extensions");
                          t.link(kList, outside);
                          return outside;
                      },
                      QStringLiteral("id.gone"), safari::RewriteResult::LeftUnreadable},
        UntouchedCase{"NotAPropertyList_LeftUnreadable",
                      [](TreeBuilder &t) { return t.file(kList, "not a property list"); },
                      QStringLiteral("id.a"), safari::RewriteResult::LeftUnreadable},
        UntouchedCase{"NoEntryWithTheIdentifier_NothingToRemove",
                      [](TreeBuilder &t) { return t.file(kList, binaryListWithOddValues()); },
                      QStringLiteral("id.other"), safari::RewriteResult::NothingToRemove},
        UntouchedCase{"NoIdentifier_NothingToRemove",
                      [](TreeBuilder &t) { return t.file(kList, binaryListWithOddValues()); },
                      std::nullopt, safari::RewriteResult::NothingToRemove}),
    zembra::test::CaseName());

TEST(SafariListRewrite, ByteOrderMarkInNames_KeptListedAndMatchedExactly) {
    TreeBuilder t;
    test::TestSettings s;
    s.grant(grants::kHome, t / "home");
    const std::string bom = "\xEF\xBB\xBF";
    t.file(kList, test::safariList(test::safariEntry(bom, bom + "com.v.victim") +
                                   test::safariEntry("V.safariextz", "com.v.victim")));
    const auto items = SafariExtension(s).extensionsInListOrder();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->bundle(), QStringLiteral("\ufeffcom.v.victim"));
    EXPECT_EQ(items[0]->label(), QStringLiteral("\ufeff"));
    EXPECT_EQ(items[0]->url(), t / "home/Library/Safari/Extensions" / bom);

    EXPECT_EQ(
        safari::removeFromList(homeScope(t), t / "home", QStringLiteral("\ufeffcom.v.victim")),
        safari::RewriteResult::Rewritten);
    const auto left = safari::readInstalledExtensions(t / kList);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].bundleIdentifier, QStringLiteral("com.v.victim"));
}

namespace {

// An XML list loses just the element of the dropped entry (and the blank space before
// it); every other byte stays, values libplist's writer would change included.
struct ExactCase {
    const char *name;
    std::string original;
    const char *identifier;
    std::string expected;
};
ZEMBRA_PRINT_CASE_BY_NAME(ExactCase)

class SafariXmlListEdited : public ::testing::TestWithParam<ExactCase> {};

std::string a() {
    return test::safariEntry("A.safariextz", "id.a");
}
std::string b(const std::string &extra) {
    return test::safariEntry("B.safariextz", "id.b", extra);
}

const std::string kControl = "<key>Note</key><string>a&#1;b&lt;</string>";
const std::string kOldDate = "<key>Installed</key><date>0999-01-01T00:00:00Z</date>";
const std::string kNegativeZero = "<key>Rating</key><real>-0.0</real>";
const std::string kLaidOut = "<key>Installed Extensions</key>\n<array>\n\t<!-- Safari's -->\n\t";
const std::string kNoArchive = "<dict><key>Bundle Identifier</key><string>id.x</string></dict>";
const std::string kVersion = "<key>Version</key><integer>3</integer>";

} // namespace

TEST_P(SafariXmlListEdited, OnlyTheEntryElementGoes) {
    TreeBuilder t;
    const auto file = t.file(kList, GetParam().original);
    const auto before = fs::status(file).permissions();
    EXPECT_EQ(
        safari::removeFromList(homeScope(t), t / "home", QString::fromUtf8(GetParam().identifier)),
        safari::RewriteResult::Rewritten);
    EXPECT_EQ(test::readFile(file), GetParam().expected);
    EXPECT_EQ(fs::status(file).permissions(), before);
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    SafariListRewrite, SafariXmlListEdited,
    ::testing::Values(ExactCase{"ControlCharacterAndReference", test::safariList(a() + b(kControl)),
                                "id.a", test::safariList(b(kControl))},
                      ExactCase{"YearBeforeOneThousand", test::safariList(a() + b(kOldDate)),
                                "id.a", test::safariList(b(kOldDate))},
                      ExactCase{"NegativeZero", test::safariList(b(kNegativeZero) + a()), "id.a",
                                test::safariList(b(kNegativeZero))},
                      ExactCase{"BothEntriesOfOneIdentifier", test::safariList(a() + b("") + a()),
                                "id.a", test::safariList(b(""))},
                      ExactCase{"EntryWithoutArchiveAndOtherKeysKept",
                                test::safariList(a() + kNoArchive + a(), kVersion), "id.a",
                                test::safariList(kNoArchive, kVersion)},
                      ExactCase{"CommentAndLayout",
                                test::xmlPlist(kLaidOut + a() + "\n\t" + b("") + "\n</array>\n"),
                                "id.b", test::xmlPlist(kLaidOut + a() + "\n</array>\n")},
                      ExactCase{"ListKeyWrittenWithReferences",
                                test::xmlPlist("<key>Installed&#32;Extension&#x73;</key><array>" +
                                               a() + b("") + "</array>"),
                                "id.b",
                                test::xmlPlist("<key>Installed&#32;Extension&#x73;</key><array>" +
                                               a() + "</array>")}),
    zembra::test::CaseName());

TEST(SafariListRewrite, HomeNotInTheScope_ListUntouched) {
    TreeBuilder t;
    const auto file = t.file(kList, test::safariList(test::safariEntry("A.safariextz", "id.a")));
    const std::string before = test::readFile(file);
    platform::DeletionScope elsewhere;
    elsewhere.addFolder(t.dir("Applications"));
    for (const platform::DeletionScope &scope : {platform::DeletionScope(), elsewhere})
        EXPECT_EQ(safari::removeFromList(scope, t / "home", QStringLiteral("id.a")),
                  safari::RewriteResult::NotGranted);
    EXPECT_EQ(test::readFile(file), before);
}

TEST(SafariListRewrite, ListChangedBetweenPlanAndWrite_DecidedAgainOnWhatIsThere) {
    TreeBuilder t;
    const auto file = t.file(kList, test::safariList(test::safariEntry("A.safariextz", "id.a") +
                                                     test::safariEntry("B.safariextz", "id.b")));
    const safari::ListRewrite plan = safari::planRemoval(t / "home", QStringLiteral("id.a"));
    ASSERT_EQ(plan.verdict, safari::RewriteResult::Rewritten);
    // Safari added an extension meanwhile: it must survive the rewrite.
    t.file(kList, test::safariList(test::safariEntry("A.safariextz", "id.a") +
                                   test::safariEntry("B.safariextz", "id.b") +
                                   test::safariEntry("C.safariextz", "id.c")));
    EXPECT_EQ(safari::applyRewrite(homeScope(t), t / "home", QStringLiteral("id.a"), plan),
              safari::RewriteResult::Rewritten);
    const auto left = safari::readInstalledExtensions(file);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].bundleIdentifier, QStringLiteral("id.b"));
    EXPECT_EQ(left[1].bundleIdentifier, QStringLiteral("id.c"));
}

TEST(SafariListRewrite, PlanThatWouldNotReadBack_NeverWritten) {
    TreeBuilder t;
    const auto file = t.file(kList, test::safariList(test::safariEntry("A.safariextz", "id.a")));
    const std::string before = test::readFile(file);
    // A plan whose bytes are not the list less the entry: the check before the rename refuses it.
    safari::ListRewrite forged = safari::planRemoval(t / "home", QStringLiteral("id.a"));
    ASSERT_EQ(forged.verdict, safari::RewriteResult::Rewritten);
    for (const QByteArray &bytes : {QByteArray("not a list"), forged.original, QByteArray()}) {
        forged.bytes = bytes;
        EXPECT_EQ(safari::applyRewrite(homeScope(t), t / "home", QStringLiteral("id.a"), forged),
                  safari::RewriteResult::WriteFailed);
        EXPECT_EQ(test::readFile(file), before);
        EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
    }
}
