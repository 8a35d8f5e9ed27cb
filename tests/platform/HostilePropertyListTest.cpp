#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"
#include "platform/PropertyList.h"
#include "support/HostilePlists.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

using namespace zembra::platform;
using namespace zembra::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

PropertyList read(const std::string &bytes) {
    return PropertyList::fromMemory(QByteArray::fromStdString(bytes));
}

std::string xmlList(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
           "PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">" +
           body + "</plist>\n";
}

std::string repeat(const std::string &s, int n) {
    return n > 0 ? s + repeat(s, n - 1) : std::string();
}

} // namespace

TEST(HostilePropertyList, NoValueInsteadOfACrash_WhatIsWithinTheBoundsReads) {
    // Each level refers to the next one twice: libplist would copy 2^levels arrays.
    const auto dag = [](std::uint32_t levels) {
        std::vector<std::vector<std::uint32_t>> arrays(levels + 1);
        for (std::uint32_t i = 0; i < levels; ++i)
            arrays[i] = {i + 1, i + 1};
        return binaryArrays(arrays);
    };
    const std::string good = binaryArrays({{1}, {}});
    const auto patched = [&](size_t fromEnd, char byte) {
        std::string bytes = good;
        bytes[bytes.size() - fromEnd] = byte;
        return bytes;
    };
    // Comments, sections, processing instructions and empty elements nest nothing.
    const std::string levels = repeat("<array>", 127), closes = repeat("</array>", 127);
    const std::string inert = "<dict/><dict a=\"1\"/><array /><!-- " + repeat("<array>", 10) +
                              " --><string><![CDATA[" + repeat("<dict>", 10) + "]]></string><?pi " +
                              repeat("<array>", 3) + " ?>";
    const std::string filler(16u << 20, 'x');
    const std::string huge = xmlList("<array><string>" + filler + "</string></array>");
    const struct {
        const char *name;
        std::string bytes;
        bool valid;
    } cases[] = {
        {"DeepBinary", deepBinary(100000), false},
        {"DeepXml", deepXml(200000), false},
        {"BinaryAtTheBound", deepBinary(128), true},
        {"BinaryOneLevelMore", deepBinary(129), false},
        {"XmlAtTheBound", deepXml(128), true},
        {"XmlOneLevelMore", deepXml(129), false},
        {"SmallSharedDag", dag(6), true},
        {"DagOfAHundredLevels", dag(100), false},  // the scan remembers each level: at once
        {"DagOfMillionsOfCopies", dag(21), false}, // beyond the bound on values
        {"CycleToItself", binaryArrays({{0}}), false},
        {"LongerCycle", binaryArrays({{1}, {2}, {3, 1}, {}}), false},
        {"SharedNotCircular", binaryArrays({{1, 2}, {2}, {}}), true},
        {"GoodTables", good, true},
        {"OffsetSizeZero", patched(26, 0), false},
        {"ReferenceSizeNine", patched(25, 9), false},
        {"RootBeyondTheObjects", patched(9, 2), false},
        {"OffsetTableBeyondTheFile", patched(1, char(0xF0)), false},
        {"TrailerCutShort", good.substr(0, good.size() - 1), false},
        {"ReferenceToNoObject", binaryArrays({{7}}), false},
        {"InertXmlAtTheBound", xmlList(levels + "<array>" + inert + "</array>" + closes), true},
        {"InertXmlOneLevelMore",
         xmlList(levels + "<array><array>" + inert + "</array></array>" + closes), false},
        // A reader honouring quotes sees one open array here, one ignoring them an empty one.
        {"QuotedTagEnd", xmlList("<array a=\"/>\"><array/></array>"), false},
        {"QuotedInstructionEnd", xmlList("<?x a=\"?>\"?><array/>"), false},
        {"QuoteNeverClosed", xmlList("<array a=\"x><array/></array>"), false},
        {"NulInAString", xmlList("<array><string>a\0b</string></array>"s), false},
        {"QuoteInAString", xmlList("<array a=\"x\"><string>\"</string></array>"), true},
        {"LargerThan16MiB", huge, false},
        {"OneMiB", xmlList("<array><string>" + filler.substr(0, 1u << 20) + "</string></array>"),
         true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read(c.bytes).isValid(), c.valid) << c.name;
    EXPECT_EQ(read(dag(6)).root().count(), 2u);

    TreeBuilder t;
    EXPECT_FALSE(BundleInfo::read(t.bundleWithPlist("Deep.app", deepBinary(100000))));
    EXPECT_FALSE(BundleInfo::read(t.bundleWithPlist("DeepXml.app", deepXml(200000))));
    EXPECT_FALSE(PropertyList::fromFile(
                     fixturePath("plists/binary/ebarnard_rust-plist_binary_circular_array.plist"))
                     .isValid());
    EXPECT_FALSE(PropertyList::fromFile(t.file("big.plist", huge)).isValid());
}

TEST(PropertyListText, LeadingByteOrderMark_KeptInStringsAndNames) {
    const std::string bom = "\xEF\xBB\xBF";
    const PropertyList xml =
        read(xmlList("<dict><key>CFBundleIdentifier</key><string>" + bom +
                     "com.v.victim</string><key>Only</key><string>" + bom + "</string></dict>"));
    EXPECT_EQ(xml.root().item("CFBundleIdentifier").string(), QStringLiteral("\ufeffcom.v.victim"));
    EXPECT_EQ(xml.root().item("Only").string(), QStringLiteral("\ufeff"));

    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "CFBundleIdentifier",
                        plist_new_string((bom + "com.v.victim").c_str()));
    TreeBuilder t;
    const auto info = BundleInfo::read(
        t.bundleWithPlist("Victim.app", PropertyList::adopt(dict).toBinary().toStdString()));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->identifier(), QStringLiteral("\ufeffcom.v.victim"));

    EXPECT_EQ(lastComponent(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim.app"));
    EXPECT_EQ(displayName(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim"));
    EXPECT_EQ(pathExtension(t / ("x." + bom)), QStringLiteral("\ufeff"));
}
