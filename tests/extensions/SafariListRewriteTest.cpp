// Safari's list rewritten without a removed extension: kept in its format, checked to
// read back equal, reached only through real folders, and never left half-written.
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "platform/PropertyList.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstring>

using namespace zembra;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

const char *kList = "home/Library/Safari/Extensions/Extensions.plist";

plist_t entry(const char *archive, const char *identifier)
{
    plist_t e = plist_new_dict();
    plist_dict_set_item(e, "Archive File Name", plist_new_string(archive));
    plist_dict_set_item(e, "Bundle Identifier", plist_new_string(identifier));
    return e;
}

std::string bigEndianDouble(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::string out;
    for (int k = 7; k >= 0; --k)
        out += char((bits >> (8 * k)) & 0xFF);
    return out;
}

// A binary list whose kept entry holds control characters and a date in the year 4,
// which libplist's XML writer cannot write (raw control characters, a one-digit year).
std::string binaryListWithOddValues()
{
    plist_t root = plist_new_dict();
    plist_t installed = plist_new_array();
    plist_t kept = entry("Kept.safariextz", "id.kept");
    plist_dict_set_item(kept, "Note", plist_new_string("tab\tbell\x07" "escape\x1b"));
    plist_dict_set_item(kept, "Installed", plist_new_date(1000, 0));
    plist_array_append_item(installed, kept);
    plist_array_append_item(installed, entry("Gone.safariextz", "id.gone"));
    plist_dict_set_item(root, "Installed Extensions", installed);
    std::string bytes = platform::PropertyList::adopt(root).toBinary().toStdString();
    const size_t at = bytes.find(std::string("\x33").append(bigEndianDouble(1000.0)));
    bytes.replace(at + 1, 8, bigEndianDouble(-63000000000.0));
    return bytes;
}

size_t entriesIn(const fs::path &folder)
{
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(SafariListRewrite, BinaryListWithControlCharactersAndOldDate_StaysBinaryKeepsThem)
{
    TreeBuilder t;
    const std::string original = binaryListWithOddValues();
    const auto file = t.file(kList, original);
    ASSERT_TRUE(platform::PropertyList::fromFile(file).isValid());
    EXPECT_EQ(safari::removeFromList(t / "home", QStringLiteral("id.gone")), safari::RewriteResult::Rewritten);
    const std::string rewritten = test::readFile(file);
    EXPECT_EQ(rewritten.rfind("bplist00", 0), 0u);
    EXPECT_NE(rewritten.find(std::string("\x33").append(bigEndianDouble(-63000000000.0))), std::string::npos);
    const auto list = platform::PropertyList::fromFile(file);
    const auto installed = list.root().item("Installed Extensions");
    ASSERT_EQ(installed.count(), 1u);
    EXPECT_EQ(installed.at(0).item("Note").string(), QStringLiteral("tab\tbell\x07" "escape\x1b"));
    EXPECT_EQ(entriesIn(file.parent_path()), 1u);
}

TEST(SafariListRewrite, XmlListWhoseRewriteWouldNotReadBack_LeftUntouched)
{
    // libplist reads these, but would write a raw control character and a three-digit year.
    for (const std::string odd : {"<key>Note</key><string>a&#1;b</string>",
                                  "<key>Installed</key><date>0999-01-01T00:00:00Z</date>"}) {
        SCOPED_TRACE(odd);
        TreeBuilder t;
        const std::string original = test::xmlPlist(
            "<key>Installed Extensions</key><array>"
            "<dict><key>Archive File Name</key><string>A.safariextz</string><key>Bundle Identifier</key>"
            "<string>id.a</string></dict>"
            "<dict><key>Archive File Name</key><string>B.safariextz</string><key>Bundle Identifier</key>"
            "<string>id.b</string>" + odd + "</dict></array>");
        const auto file = t.file(kList, original);
        ASSERT_TRUE(platform::PropertyList::fromFile(file).isValid());
        EXPECT_EQ(safari::removeFromList(t / "home", QStringLiteral("id.a")), safari::RewriteResult::WouldNotReadBack);
        EXPECT_EQ(test::readFile(file), original);
        EXPECT_EQ(entriesIn(file.parent_path()), 1u);
    }
}

TEST(SafariListRewrite, ListNotReachableThroughRealFolders_LeftUntouched)
{
    TreeBuilder t;
    const std::string original = binaryListWithOddValues();
    const auto foreign = t.file("elsewhere/Extensions.plist", original);
    t.dir("home/Library/Safari");
    t.link("home/Library/Safari/Extensions", foreign.parent_path());
    EXPECT_EQ(safari::removeFromList(t / "home", QStringLiteral("id.gone")), safari::RewriteResult::NotPlainFolder);

    TreeBuilder u; // the list itself a link
    const auto outside = u.file("elsewhere/Extensions.plist", original);
    u.dir("home/Library/Safari/Extensions");
    u.link(kList, outside);
    EXPECT_EQ(safari::removeFromList(u / "home", QStringLiteral("id.gone")), safari::RewriteResult::LeftUnreadable);
    EXPECT_TRUE(fs::is_symlink(u / kList));

    EXPECT_EQ(test::readFile(foreign), original);
    EXPECT_EQ(test::readFile(outside), original);
    EXPECT_EQ(entriesIn(foreign.parent_path()), 1u);
}

TEST(SafariListRewrite, NoEntryWithTheIdentifier_FileNotRewritten)
{
    TreeBuilder t;
    const std::string original = binaryListWithOddValues();
    const auto file = t.file(kList, original);
    EXPECT_EQ(safari::removeFromList(t / "home", QStringLiteral("id.other")), safari::RewriteResult::NothingToRemove);
    EXPECT_EQ(safari::removeFromList(t / "home", std::nullopt), safari::RewriteResult::NothingToRemove);
    EXPECT_EQ(test::readFile(file), original);
}

TEST(SafariListRewrite, ByteOrderMarkInNames_KeptListedAndMatchedExactly)
{
    TreeBuilder t;
    test::TestSettings s;
    s.grant(grants::kHome, t / "home");
    const std::string bom = "\xEF\xBB\xBF";
    t.file(kList, test::xmlPlist("<key>Installed Extensions</key><array>"
                                 "<dict><key>Archive File Name</key><string>" + bom + "</string>"
                                 "<key>Bundle Identifier</key><string>" + bom + "com.v.victim</string></dict>"
                                 "<dict><key>Archive File Name</key><string>V.safariextz</string>"
                                 "<key>Bundle Identifier</key><string>com.v.victim</string></dict></array>"));
    const auto items = SafariExtension(s).extensionsInListOrder();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->bundle(), QStringLiteral("\ufeffcom.v.victim"));
    EXPECT_EQ(items[0]->label(), QStringLiteral("\ufeff"));
    EXPECT_EQ(items[0]->url(), t / "home/Library/Safari/Extensions" / bom);

    EXPECT_EQ(safari::removeFromList(t / "home", QStringLiteral("\ufeffcom.v.victim")), safari::RewriteResult::Rewritten);
    const auto left = safari::readInstalledExtensions(t / kList);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].bundleIdentifier, QStringLiteral("com.v.victim"));
}
