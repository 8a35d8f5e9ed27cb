// Property lists: samples, mutations and hostile inputs read without a crash, references
// decoded ahead of libplist, an XML list edited in its own bytes.
#include "platform/PropertyList.h"
#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"
#include "platform/PropertyListXml.h"
#include "support/HostilePlists.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <sys/stat.h>

using namespace zembra::platform;
using namespace zembra::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

PropertyList read(const std::string &bytes) {
    return PropertyList::fromMemory(QByteArray::fromStdString(bytes));
}

std::string binaryPlist(const char *identifier, const char *name) {
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "CFBundleIdentifier", plist_new_string(identifier));
    plist_dict_set_item(dict, "CFBundleName", plist_new_string(name));
    plist_dict_set_item(dict, "CFBundleExecutable", plist_new_uint(7)); // wrong type
    return PropertyList::adopt(dict).toBinary().toStdString();
}

// Walks what is there the way the readers do (malformed input gives no value); true when valid.
bool walk(const PropertyList &list) {
    const PlistNode root = list.root();
    (void)root.item("CFBundleIdentifier").string();
    const PlistNode installed = root.item("Installed Extensions");
    for (std::uint32_t i = 0; i < installed.count(); ++i)
        (void)installed.at(i).item("Archive File Name").string();
    if (list.isValid())
        (void)list.toXml(); // what the Safari list rewrite writes
    return list.isValid();
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

// What libplist itself reads from `xml`, in binary form; "" when it reads nothing.
QByteArray libplistReads(const std::string &xml) {
    plist_t root = nullptr;
    plist_from_memory(xml.data(), uint32_t(xml.size()), &root);
    return root ? PropertyList::adopt(root).toBinary() : QByteArray();
}

} // namespace

TEST(PropertyList, EverySampleAndFuzzInputAndTheirMutations_ReadWithoutCrashing) {
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    int files = 0, parsed = 0;
    for (const std::string folder : {"binary", "edge", "fuzz", "info", "safari"})
        for (const auto &e : fs::directory_iterator(fixturePath("plists/" + folder))) {
            walk(PropertyList::fromFile(e.path()));
            ++files;
            // The samples of real lists, mutated a little, byte by byte.
            const std::string original = readFile(e.path());
            if (original.empty() || folder == "edge" || folder == "fuzz")
                continue;
            for (int round = 0; round < 60; ++round) {
                std::string bytes = original;
                for (int flips = 1 + int(next() % 4); flips > 0; --flips)
                    bytes[next() % bytes.size()] = char(next() >> 16);
                if (next() % 3 == 0)
                    bytes.resize(next() % bytes.size());
                parsed += walk(read(bytes));
            }
        }
    EXPECT_GT(files, 80);
    EXPECT_GT(parsed, 0);
}

TEST(BundleInfo, RealBinaryAndBrokenInfoPlists_WrongTypeAbsent_ImageResources_ByteOrderMarkKept) {
    TreeBuilder t;
    const std::string bom = "\xEF\xBB\xBF";
    t.bundleWithPlist("Victim.app", binaryPlist((bom + "com.v.victim").c_str(), "Victim"));
    t.bundleWithPlist("Tunnelblick.app",
                      readFixture("plists/info/Tunnelblick_Tunnelblick_Info.plist"));
    t.bundleWithPlist("KYA.app", readFixture("plists/info/newmarcel_KeepingYouAwake_Info.plist"));
    t.bundleWithPlist("Bin.app", binaryPlist("com.example.bin", "Bin App"));
    t.dir("NoPlist.app/Contents");
    t.bundleWithPlist("Truncated.app", binaryPlist("com.x.y", "Y").substr(0, 20));
    t.bundleWithPlist("Array.app", "<plist><array><string>x</string></array></plist>");
    t.link("Linked.app", t / "Bin.app");
    t.dir("Fifo.app/Contents");
    ASSERT_EQ(mkfifo((t / "Fifo.app/Contents/Info.plist").c_str(), 0644), 0);
    // Identifier, name, executable and icon file; "-" for an absent value (or one of the
    // wrong type), "none" for no bundle; the FIFO returns instead of waiting for a writer.
    const auto fields = [&](const char *bundle) -> std::string {
        const auto info = BundleInfo::read(t / bundle);
        const auto text = [](const std::optional<QString> &s) {
            return s ? s->toStdString() : "-";
        };
        return !info ? "none"
                     : text(info->identifier()) + " " + text(info->name()) + " " +
                           text(info->executable()) + " " + text(info->iconFile());
    };
    EXPECT_EQ(fields("Tunnelblick.app"),
              "net.tunnelblick.tunnelblick Tunnelblick Tunnelblick tunnelblick.icns");
    EXPECT_EQ(fields("KYA.app"), "- - - -"); // a dictionary without the keys is still a bundle
    EXPECT_EQ(fields("Bin.app"), "com.example.bin Bin App - -");
    EXPECT_EQ(fields("Victim.app"), bom + "com.v.victim Victim - -"); // byte order mark kept
    for (const char *none :
         {"NoPlist.app", "Truncated.app", "Array.app", "Linked.app", "missing.app", "Fifo.app"})
        EXPECT_EQ(fields(none), "none") << none;

    t.entries({"Bin.app/Contents/Resources/AppIcon.icns", "Bin.app/Contents/Resources/icon.png"});
    const auto info = BundleInfo::read(t / "Bin.app");
    ASSERT_TRUE(info);
    const fs::path resources = t / "Bin.app/Contents/Resources";
    EXPECT_EQ(info->imageResource(QStringLiteral("AppIcon")), resources / "AppIcon.icns");
    EXPECT_EQ(info->imageResource(QStringLiteral("icon.png")), resources / "icon.png");
    EXPECT_FALSE(info->imageResource(QStringLiteral("Missing")));
    EXPECT_FALSE(info->imageResource(QStringLiteral("../../../etc/passwd")));

    // A leading byte order mark is kept, in strings and in names.
    const PropertyList xml =
        read(xmlList("<dict><key>CFBundleIdentifier</key><string>" + bom +
                     "com.v.victim</string><key>Only</key><string>" + bom + "</string></dict>"));
    EXPECT_EQ(xml.root().item("CFBundleIdentifier").string(), QStringLiteral("\ufeffcom.v.victim"));
    EXPECT_EQ(xml.root().item("Only").string(), QStringLiteral("\ufeff"));

    EXPECT_EQ(lastComponent(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim.app"));
    EXPECT_EQ(displayName(t / (bom + "Victim.app")), QStringLiteral("\ufeffVictim"));
    EXPECT_EQ(pathExtension(t / ("x." + bom)), QStringLiteral("\ufeff"));
}

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
    EXPECT_FALSE(PropertyList::fromFile(
                     fixturePath("plists/binary/ebarnard_rust-plist_binary_circular_array.plist"))
                     .isValid());
    EXPECT_FALSE(PropertyList::fromFile(t.file("big.plist", huge)).isValid());
}

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
        const std::string xml = xmlPlist(body);
        const auto decoded = withDecodedReferences(xml);
        const QByteArray expected = libplistReads(xml);
        ASSERT_EQ(decoded.has_value(), !expected.isEmpty());
        EXPECT_EQ(read(xml).toBinary(), expected);
        if (decoded) {
            EXPECT_EQ(libplistReads(decoded->toStdString()), expected);
            EXPECT_FALSE(decoded->contains("&amp;") || decoded->contains("&#"))
                << decoded->toStdString();
        }
    }
}

// The shape that stalled libplist for a minute at 15 MB: read alike, with its one long
// string handed over without a single reference left.
TEST(PropertyListXml, StringOfManyReferencesDecodedAhead_ArrayItemsCutInTheListsOwnBytes) {
    std::string text, expected;
    for (int i = 0; i < 20000; ++i) {
        text += "&amp;x&lt;";
        expected += "&x<";
    }
    const std::string xml = xmlPlist("<key>CFBundleIdentifier</key><string>" + text + "</string>");
    const auto decoded = withDecodedReferences(xml);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->contains("&amp;") || decoded->contains("&lt;"));
    EXPECT_EQ(read(xml).root().item("CFBundleIdentifier").string(),
              QString::fromStdString(expected));

    // Items of an array are cut in the list's own bytes; unknown shapes are refused.
    const auto array = [](const std::string &items) {
        return QByteArray::fromStdString(
            xmlPlist("<key>L</key>\n<array>\n" + items + "</array>\n"));
    };
    const std::string list = array("\t<string>a</string>\n\t<dict><key>x</key><array/></dict>\n"
                                   "\t<!-- c -->\n\t<integer>3</integer>\n")
                                 .toStdString();
    EXPECT_EQ(withoutArrayItems(list, "L", {0, 2}),
              array("\t<dict><key>x</key><array/></dict>\n\t<!-- c -->\n\t\n"));
    EXPECT_EQ(withoutArrayItems(list, "L", {1}),
              array("\t<string>a</string>\n\t<!-- c -->\n\t<integer>3</integer>\n"));
    EXPECT_FALSE(withoutArrayItems(list, "L", {3}));
    EXPECT_FALSE(withoutArrayItems(list, "M", {0}));
    EXPECT_FALSE(withoutArrayItems(xmlPlist("<key>L</key><string>a</string>"), "L", {0}));
    EXPECT_FALSE(
        withoutArrayItems(xmlPlist("<key>L</key><array><string>a</string></dict>"), "L", {0}));
}
