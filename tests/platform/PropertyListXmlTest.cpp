// Character references handed to libplist already decoded, and an XML list edited in its
// own bytes.
#include "platform/PropertyListXml.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

using namespace zembra::platform;

namespace {

std::string xmlList(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
           "</dict>\n</plist>\n";
}

// What libplist itself reads from `xml`, in binary form; "" when it reads nothing.
QByteArray libplistReads(const std::string &xml) {
    plist_t root = nullptr;
    plist_from_memory(xml.data(), uint32_t(xml.size()), &root);
    return root ? PropertyList::adopt(root).toBinary() : QByteArray();
}

} // namespace

// Decoded ahead, a list reads exactly as libplist would read it, odd references included.
TEST(PropertyListXml, DecodedReferences_ReadAsLibplistReadsThem_NoReferenceLeftInStrings) {
    const std::pair<const char *, std::string> cases[] = {
        {"NamedAndNumeric",
         "<key>a&amp;b</key><string>&lt;&gt;&quot;&apos;&#65;&#x42;&#X43;&#x1F600;&#233;</string>"},
        {"NamedMatchedByTheirStart", "<key>k</key><string>&ampere;&ltx;</string>"},
        {"NumericWithSignBlankAndPrefix", "<key>k</key><string>&#+65;&#x0x41;&# 66;</string>"},
        {"AmpersandLastInAPart", "<key>k</key><string>x&<!-- c -->&amp;&</string>"},
        {"SectionEndInsideDecodedText", "<key>k</key><string>]]&gt;]]]&gt;&lt;![CDATA[</string>"},
        {"CdataAndCommentsBetweenParts",
         "<key>k</key><string> a&amp;<![CDATA[&<]]>b&lt;<!-- &bogus; -->c </string>"},
        {"ReferencesOutsideStringsUntouched",
         "<key>n</key><integer>1</integer><key>d</key><data>AA==</data><key>s</key><string>&amp;"
         "</string>"},
        {"UnknownName_Refused", "<key>k</key><string>&bogus;</string>"},
        {"Zero_Refused", "<key>k</key><string>&#0;</string>"},
        {"PastUnicode_Refused", "<key>k</key><string>&#x110000;</string>"},
        {"TooLong_Refused", "<key>k</key><string>&#000000065;</string>"},
        {"NoSemicolon_Refused", "<key>k</key><string>a &amp b</string>"},
        {"Empty_Refused", "<key>k</key><string>&;</string>"},
    };
    for (const auto &[name, body] : cases) {
        SCOPED_TRACE(name);
        const std::string xml = xmlList(body);
        const auto decoded = withDecodedReferences(xml);
        const QByteArray expected = libplistReads(xml);
        ASSERT_EQ(decoded.has_value(), !expected.isEmpty());
        EXPECT_EQ(PropertyList::fromMemory(QByteArray::fromStdString(xml)).toBinary(), expected);
        if (decoded) {
            EXPECT_EQ(libplistReads(decoded->toStdString()), expected);
            EXPECT_FALSE(decoded->contains("&amp;") || decoded->contains("&#"))
                << decoded->toStdString();
        }
    }
}

// The shape that stalled libplist for a minute at 15 MB: read alike, with its one long
// string handed over without a single reference left.
TEST(PropertyListXml, StringOfManyReferences_DecodedAheadToTheSameValue) {
    std::string text, expected;
    for (int i = 0; i < 20000; ++i) {
        text += "&amp;x&lt;";
        expected += "&x<";
    }
    const std::string xml = xmlList("<key>CFBundleIdentifier</key><string>" + text + "</string>");
    const auto decoded = withDecodedReferences(xml);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->contains("&amp;") || decoded->contains("&lt;"));
    EXPECT_EQ(PropertyList::fromMemory(QByteArray::fromStdString(xml))
                  .root()
                  .item("CFBundleIdentifier")
                  .string(),
              QString::fromStdString(expected));
}

TEST(PropertyListXml, ArrayItemsCut_OthersAndLayoutStay_UnknownShapesRefused) {
    const std::string list =
        xmlList("<key>L</key>\n<array>\n\t<string>a</string>\n\t<dict><key>x</key><array/></dict>"
                "\n\t<!-- c -->\n\t<integer>3</integer>\n</array>\n");
    EXPECT_EQ(withoutArrayItems(list, "L", {0, 2}),
              QByteArray::fromStdString(
                  xmlList("<key>L</key>\n<array>\n\t<dict><key>x</key><array/></dict>"
                          "\n\t<!-- c -->\n\t\n</array>\n")));
    EXPECT_EQ(
        withoutArrayItems(list, "L", {1}),
        QByteArray::fromStdString(xmlList("<key>L</key>\n<array>\n\t<string>a</string>"
                                          "\n\t<!-- c -->\n\t<integer>3</integer>\n</array>\n")));
    EXPECT_FALSE(withoutArrayItems(list, "L", {3}));
    EXPECT_FALSE(withoutArrayItems(list, "M", {0}));
    EXPECT_FALSE(withoutArrayItems(xmlList("<key>L</key><string>a</string>"), "L", {0}));
    EXPECT_FALSE(
        withoutArrayItems(xmlList("<key>L</key><array><string>a</string></dict>"), "L", {0}));
}
