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
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST(HostilePropertyList, DeepNesting_NoValueInsteadOfACrash_AtTheBoundReads_OneLevelMoreNoValue) {
    EXPECT_FALSE(read(deepBinary(100000)).isValid());
    EXPECT_FALSE(read(deepXml(200000)).isValid());
    TreeBuilder t;
    EXPECT_FALSE(BundleInfo::read(t.bundleWithPlist("Deep.app", deepBinary(100000))));
    EXPECT_FALSE(BundleInfo::read(t.bundleWithPlist("DeepXml.app", deepXml(200000))));
    EXPECT_TRUE(read(deepBinary(128)).isValid());
    EXPECT_FALSE(read(deepBinary(129)).isValid());
    EXPECT_TRUE(read(deepXml(128)).isValid());
    EXPECT_FALSE(read(deepXml(129)).isValid());
}

TEST(HostilePropertyList, SharedReferences_SmallDagReads_ExponentialExpansionNoValue) {
    // Each level refers to the next one twice: libplist would copy 2^levels arrays.
    auto dag = [](std::uint32_t levels) {
        std::vector<std::vector<std::uint32_t>> arrays(levels + 1);
        for (std::uint32_t i = 0; i < levels; ++i)
            arrays[i] = {i + 1, i + 1};
        return binaryArrays(arrays);
    };
    const PropertyList small = read(dag(6));
    ASSERT_TRUE(small.isValid());
    EXPECT_EQ(small.root().count(), 2u);
    EXPECT_FALSE(read(dag(100)).isValid()); // the scan remembers each level: it returns at once
    EXPECT_FALSE(read(dag(21)).isValid());  // 4 million copies: beyond the bound on values
}

TEST(HostilePropertyList, Cycles_NoValue) {
    EXPECT_FALSE(read(binaryArrays({{0}})).isValid());
    EXPECT_FALSE(read(binaryArrays({{1}, {2}, {3, 1}, {}})).isValid());
    EXPECT_FALSE(PropertyList::fromFile(
                     fixturePath("plists/binary/ebarnard_rust-plist_binary_circular_array.plist"))
                     .isValid());
    EXPECT_TRUE(read(binaryArrays({{1, 2}, {2}, {}})).isValid()); // shared, not circular
}

TEST(HostilePropertyList, MalformedBinaryTables_NoValue) {
    const std::string good = binaryArrays({{1}, {}});
    ASSERT_TRUE(read(good).isValid());
    auto patched = [&](size_t fromEnd, char byte) {
        std::string bytes = good;
        bytes[bytes.size() - fromEnd] = byte;
        return bytes;
    };
    EXPECT_FALSE(read(patched(26, 0)).isValid());         // offset size 0
    EXPECT_FALSE(read(patched(25, 9)).isValid());         // reference size 9
    EXPECT_FALSE(read(patched(9, 2)).isValid());          // root beyond the objects
    EXPECT_FALSE(read(patched(1, char(0xF0))).isValid()); // offset table beyond the file
    EXPECT_FALSE(read(good.substr(0, good.size() - 1)).isValid());
    EXPECT_FALSE(read(binaryArrays({{7}})).isValid()); // a reference to no object
}

TEST(HostilePropertyList, XmlConstructsThatNestNothing_DoNotCount) {
    const std::string levels = repeat("<array>", 127);
    const std::string closes = repeat("</array>", 127);
    const std::string inert = "<dict/><dict a=\"1\"/><array />"
                              "<!-- " +
                              repeat("<array>", 10) +
                              " -->"
                              "<string><![CDATA[" +
                              repeat("<dict>", 10) +
                              "]]></string>"
                              "<?pi " +
                              repeat("<array>", 3) + " ?>";
    EXPECT_TRUE(read(xmlList(levels + "<array>" + inert + "</array>" + closes)).isValid());
    EXPECT_FALSE(
        read(xmlList(levels + "<array><array>" + inert + "</array></array>" + closes)).isValid());
}

TEST(HostilePropertyList, XmlWhoseTagEndsAreAmbiguous_NoValue) {
    // A reader honouring quotes sees one open array here, one ignoring them an empty one.
    EXPECT_FALSE(read(xmlList("<array a=\"/>\"><array/></array>")).isValid());
    EXPECT_FALSE(read(xmlList("<?x a=\"?>\"?><array/>")).isValid());
    EXPECT_FALSE(read(xmlList("<array a=\"x><array/></array>")).isValid()); // never closed
    EXPECT_FALSE(read(xmlList("<array><string>a\0b</string></array>"s)).isValid());
    EXPECT_TRUE(read(xmlList("<array a=\"x\"><string>\"</string></array>")).isValid());
}

TEST(HostilePropertyList, LargerThan16MiB_NoValue) {
    const std::string filler(16u << 20, 'x');
    EXPECT_FALSE(read(xmlList("<array><string>" + filler + "</string></array>")).isValid());
    TreeBuilder t;
    EXPECT_FALSE(PropertyList::fromFile(
                     t.file("big.plist", xmlList("<array><string>" + filler + "</string></array>")))
                     .isValid());
    EXPECT_TRUE(read(xmlList("<array><string>" + filler.substr(0, 1u << 20) + "</string></array>"))
                    .isValid());
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
    const auto bundle =
        t.bundleWithPlist("Victim.app", PropertyList::adopt(dict).toBinary().toStdString());
    const auto info = BundleInfo::read(bundle);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->identifier(), QStringLiteral("\ufeffcom.v.victim"));

    EXPECT_EQ(lastComponent(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim.app"));
    EXPECT_EQ(displayName(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim"));
    EXPECT_EQ(pathExtension(t / ("x." + bom)), QStringLiteral("\ufeff"));
}
