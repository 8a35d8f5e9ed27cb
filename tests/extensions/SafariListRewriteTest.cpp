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
#include <optional>

using namespace zembra;
using zembra::test::safariList;
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

// Safari's list with an entry "<id>.safariextz" per identifier.
std::string listOf(std::initializer_list<const char *> identifiers) {
    std::string entries;
    for (const char *id : identifiers)
        entries += test::safariEntry(std::string(id) + ".safariextz", id);
    return test::safariList(entries);
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
    plist_dict_set_item(kept, "Note", plist_new_string("tab\tbell\aescape\x1b"));
    plist_dict_set_item(kept, "Installed", plist_new_date(1000, 0));
    plist_array_append_item(installed, kept);
    plist_array_append_item(installed, entry("Gone.safariextz", "id.gone"));
    plist_dict_set_item(root, "Installed Extensions", installed);
    std::string bytes = platform::PropertyList::adopt(root).toBinary().toStdString();
    const size_t at = bytes.find(std::string("\x33").append(bigEndianDouble(1000.0)));
    bytes.replace(at + 1, 8, bigEndianDouble(-63000000000.0));
    return bytes;
}

enum class Reach { Plain, LinkedFolder, LinkedFile };

// Lays out `bytes` as the home's list, reached as `reach`; returns the file that holds them.
fs::path layList(TreeBuilder &t, Reach reach, const std::string &bytes) {
    if (reach == Reach::Plain)
        return t.file(kList, bytes);
    const auto real = t.file("elsewhere/Extensions.plist", bytes);
    t.link(reach == Reach::LinkedFolder ? fs::path(kList).parent_path().native() : kList,
           reach == Reach::LinkedFolder ? real.parent_path() : real);
    return real;
}

// A list that must be left byte for byte as it was (no bytes: the binary list above).
struct UntouchedCase {
    const char *name;
    Reach reach;
    std::optional<std::string> bytes;
    std::optional<QString> identifier;
    safari::RewriteResult expected;
    const char *granted = "home";
};
ZEMBRA_PRINT_CASE_BY_NAME(UntouchedCase)
using U = UntouchedCase;

class SafariListUntouched : public ::testing::TestWithParam<UntouchedCase> {};

using R = safari::RewriteResult;
const QString kGone = QStringLiteral("id.gone");
// Which of the two arrays would Safari take? Neither is guessed at.
const std::string kKeyTwice =
    test::safariList(test::safariEntry("A.safariextz", "id.a"),
                     "<key>Installed Extensions</key><array>" +
                         test::safariEntry("B.safariextz", "id.a") + "</array>");

// An XML list loses just the element of the dropped entry (and the blank space before
// it); every other byte stays, values libplist's writer would change included.
struct ExactCase {
    const char *name;
    std::string original;
    const char *identifier;
    std::string expected;
};
ZEMBRA_PRINT_CASE_BY_NAME(ExactCase)
using E = ExactCase;

class SafariXmlListEdited : public ::testing::TestWithParam<ExactCase> {};

const std::string kA = test::safariEntry("A.safariextz", "id.a");
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

TEST(SafariListRewrite, BinaryListWithControlCharactersAndOldDate_StaysBinaryKeepsThem) {
    TreeBuilder t;
    const auto file = t.file(kList, binaryListWithOddValues());
    EXPECT_EQ(safari::removeFromList(homeScope(t), t / "home", kGone), R::Rewritten);
    const std::string rewritten = test::readFile(file);
    EXPECT_EQ(rewritten.rfind("bplist00", 0), 0u);
    EXPECT_NE(rewritten.find(std::string("\x33").append(bigEndianDouble(-63000000000.0))),
              std::string::npos);
    const auto list = platform::PropertyList::fromFile(file); // the items below are views into it
    const auto installed = list.root().item("Installed Extensions");
    ASSERT_EQ(installed.count(), 1u);
    EXPECT_EQ(installed.at(0).item("Note").string(), QStringLiteral("tab\tbell\aescape\x1b"));
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
}

TEST_P(SafariListUntouched, FileAndFolderAsTheyWere) {
    TreeBuilder t;
    const UntouchedCase &c = GetParam();
    const fs::path file = layList(t, c.reach, c.bytes.value_or(binaryListWithOddValues()));
    const std::string original = test::readFile(file);
    platform::DeletionScope scope;
    if (c.granted)
        scope.addFolder(t.dir(c.granted));
    EXPECT_EQ(safari::removeFromList(scope, t / "home", c.identifier), c.expected);
    EXPECT_EQ(test::readFile(file), original);
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
    EXPECT_EQ(fs::is_symlink(t / kList), c.reach == Reach::LinkedFile);
}

INSTANTIATE_TEST_SUITE_P(
    SafariListRewrite, SafariListUntouched,
    ::testing::Values(
        U{"ListKeyTwice", Reach::Plain, kKeyTwice, QStringLiteral("id.a"), R::WouldNotReadBack},
        U{"FolderIsALink", Reach::LinkedFolder, {}, kGone, R::NotPlainFolder},
        U{"ListIsALink", Reach::LinkedFile, {}, kGone, R::LeftUnreadable},
        U{"NotAPropertyList", Reach::Plain, "not a property list", kGone, R::LeftUnreadable},
        U{"NoSuchEntry", Reach::Plain, {}, QStringLiteral("id.other"), R::NothingToRemove},
        U{"NoIdentifier", Reach::Plain, {}, {}, R::NothingToRemove},
        U{"NothingGranted", Reach::Plain, {}, kGone, R::NotGranted, nullptr},
        U{"HomeNotGranted", Reach::Plain, {}, kGone, R::NotGranted, "Applications"}),
    zembra::test::CaseName());

// A name that only differs by a byte order mark is another extension's.
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
    EXPECT_EQ(safari::removeFromList(homeScope(t), t / "home", *items[0]->bundle()), R::Rewritten);
    const auto left = safari::readInstalledExtensions(t / kList);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].bundleIdentifier, QStringLiteral("com.v.victim"));
}

TEST_P(SafariXmlListEdited, OnlyTheEntryElementGoes) {
    TreeBuilder t;
    const auto file = t.file(kList, GetParam().original);
    const auto before = fs::status(file).permissions();
    EXPECT_EQ(
        safari::removeFromList(homeScope(t), t / "home", QString::fromUtf8(GetParam().identifier)),
        R::Rewritten);
    EXPECT_EQ(test::readFile(file), GetParam().expected);
    EXPECT_EQ(fs::status(file).permissions(), before);
    EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    SafariListRewrite, SafariXmlListEdited,
    ::testing::Values(
        E{"ControlCharacterAndReference", safariList(kA + b(kControl)), "id.a",
          safariList(b(kControl))},
        E{"YearBeforeOneThousand", safariList(kA + b(kOldDate)), "id.a", safariList(b(kOldDate))},
        E{"NegativeZero", safariList(b(kNegativeZero) + kA), "id.a", safariList(b(kNegativeZero))},
        E{"BothEntriesOfOneIdentifier", safariList(kA + b("") + kA), "id.a", safariList(b(""))},
        E{"EntryWithoutArchiveAndOtherKeysKept", safariList(kA + kNoArchive + kA, kVersion), "id.a",
          safariList(kNoArchive, kVersion)},
        E{"CommentAndLayout", test::xmlPlist(kLaidOut + kA + "\n\t" + b("") + "\n</array>\n"),
          "id.b", test::xmlPlist(kLaidOut + kA + "\n</array>\n")},
        E{"ListKeyWrittenWithReferences",
          test::xmlPlist("<key>Installed&#32;Extension&#x73;</key><array>" + kA + b("") +
                         "</array>"),
          "id.b",
          test::xmlPlist("<key>Installed&#32;Extension&#x73;</key><array>" + kA + "</array>")}),
    zembra::test::CaseName());

// Safari may add an extension between plan and write: decided again on what is there. A plan
// whose bytes are not the list less the entry is refused by the check before the rename.
TEST(SafariListRewrite, PlanAppliedToTheListAsItIsNow_NeverWrittenUnlessItReadsBack) {
    TreeBuilder t;
    const auto file = t.file(kList, listOf({"id.a"}));
    safari::ListRewrite plan = safari::planRemoval(t / "home", QStringLiteral("id.a"));
    ASSERT_EQ(plan.verdict, R::Rewritten);
    const auto apply = [&] {
        return safari::applyRewrite(homeScope(t), t / "home", QStringLiteral("id.a"), plan);
    };
    const QByteArray planned = plan.bytes;
    for (const QByteArray &bytes : {QByteArray("not a list"), plan.original, QByteArray()}) {
        plan.bytes = bytes;
        EXPECT_EQ(apply(), R::WriteFailed);
        EXPECT_EQ(test::readFile(file), listOf({"id.a"}));
        EXPECT_EQ(test::entryCount(file.parent_path()), 1u);
    }
    plan.bytes = planned;
    t.file(kList, listOf({"id.b", "id.a", "id.c"}));
    EXPECT_EQ(apply(), R::Rewritten);
    EXPECT_EQ(test::readFile(file), listOf({"id.b", "id.c"}));
}
