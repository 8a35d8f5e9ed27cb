#include "platform/PropertyList.h"
#include "platform/BundleInfo.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <sys/stat.h>

using namespace zembra::platform;
using zembra::test::readFile;
using zembra::test::readFixture;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

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
    (void)root.item("CFBundleName").string();
    const PlistNode installed = root.item("Installed Extensions");
    for (std::uint32_t i = 0; i < installed.count(); ++i) {
        (void)installed.at(i).item("Bundle Identifier").string();
        (void)installed.at(i).item("Archive File Name").string();
    }
    if (list.isValid())
        (void)list.toXml(); // what the Safari list rewrite writes
    return list.isValid();
}
} // namespace

TEST(PropertyList, EverySampleAndFuzzInputAndTheirMutations_ReadWithoutCrashing) {
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    int files = 0, parsed = 0;
    for (const std::string folder : {"binary", "edge", "fuzz", "info", "safari"})
        for (const auto &e :
             fs::directory_iterator(zembra::test::fixturePath("plists/" + folder))) {
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
                parsed += walk(PropertyList::fromMemory(QByteArray::fromStdString(bytes)));
            }
        }
    EXPECT_GT(files, 80);
    EXPECT_GT(parsed, 0);
}

TEST(BundleInfo, RealAndBinaryInfoPlists_WrongTypeCountsAsAbsent) {
    TreeBuilder t;
    const auto info = BundleInfo::read(t.bundleWithPlist(
        "Tunnelblick.app", readFixture("plists/info/Tunnelblick_Tunnelblick_Info.plist")));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->identifier(), QStringLiteral("net.tunnelblick.tunnelblick"));
    EXPECT_EQ(info->name(), QStringLiteral("Tunnelblick"));
    EXPECT_EQ(info->iconFile(), QStringLiteral("tunnelblick.icns"));

    const auto kya = BundleInfo::read(t.bundleWithPlist(
        "KYA.app", readFixture("plists/info/newmarcel_KeepingYouAwake_Info.plist")));
    ASSERT_TRUE(kya); // a dictionary without the keys is still a bundle
    EXPECT_FALSE(kya->identifier());
    EXPECT_FALSE(kya->name());

    const auto bin =
        BundleInfo::read(t.bundleWithPlist("Bin.app", binaryPlist("com.example.bin", "Bin App")));
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->identifier(), QStringLiteral("com.example.bin"));
    EXPECT_EQ(bin->name(), QStringLiteral("Bin App"));
    EXPECT_FALSE(bin->executable()); // a value of the wrong type counts as absent
}

TEST(BundleInfo, NotABundle) {
    TreeBuilder t;
    t.dir("NoPlist.app/Contents");
    t.bundleWithPlist("Truncated.app", binaryPlist("com.x.y", "Y").substr(0, 20));
    t.bundleWithPlist("Array.app", "<plist><array><string>x</string></array></plist>");
    t.link("Linked.app", t.app("Real.app", "com.x.real"));
    t.dir("Fifo.app/Contents");
    ASSERT_EQ(mkfifo((t / "Fifo.app/Contents/Info.plist").c_str(), 0644), 0);
    // The FIFO: returns instead of waiting for a writer.
    for (const char *none :
         {"NoPlist.app", "Truncated.app", "Array.app", "Linked.app", "missing.app", "Fifo.app"})
        EXPECT_FALSE(BundleInfo::read(t / none)) << none;
    EXPECT_TRUE(BundleInfo::read(t / "Real.app"));
}

TEST(BundleInfo, ImageResourceWithOrWithoutExtension) {
    TreeBuilder t;
    const auto app = t.app("A.app", "com.x.a");
    t.file("A.app/Contents/Resources/AppIcon.icns");
    t.file("A.app/Contents/Resources/icon.png");
    const auto info = BundleInfo::read(app);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->imageResource(QStringLiteral("AppIcon")),
              app / "Contents/Resources/AppIcon.icns");
    EXPECT_EQ(info->imageResource(QStringLiteral("icon.png")), app / "Contents/Resources/icon.png");
    EXPECT_FALSE(info->imageResource(QStringLiteral("Missing")));
    EXPECT_FALSE(info->imageResource(QStringLiteral("../../../etc/passwd")));
}
