// The code-signature reader: team and groups from thin and fat executables, and its bounds
// on hostile and mutated files.
#include "catalogue/CodeSignature.h"
#include "support/MachOBuilder.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

using namespace zembra;
namespace fs = std::filesystem;
using zembra::test::SignedExecutable;

namespace {

// Counts the bytes the reader asks for.
struct MemorySource : ByteSource {
    explicit MemorySource(std::string bytes) : bytes(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes.size(); }
    std::optional<std::string> read(std::uint64_t offset, std::size_t length) const override {
        asked += length;
        if (offset > bytes.size() || length > bytes.size() - offset)
            return std::nullopt;
        return bytes.substr(std::size_t(offset), length);
    }
    std::string bytes;
    mutable std::uint64_t asked = 0;
};

SignedExecutable chat(std::vector<std::string> groups = {"BSQQRLSYCE.com.example.chat",
                                                         "group.com.example.family"},
                      std::string team = "BSQQRLSYCE") {
    SignedExecutable s;
    s.identifier = "com.example.chat";
    s.team = team;
    s.groups = groups;
    return s;
}

SignedExecutable intel() {
    SignedExecutable s = chat({"BSQQRLSYCE.com.example.chat", "BSQQRLSYCE.com.example.intel"});
    s.cpuType = test::kCpuX86_64;
    return s;
}

// `b` with the 32-bit `v` written at `at`, big- or little-endian.
std::string with(std::string b, std::size_t at, std::uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (bigEndian ? 24 - 8 * i : 8 * i)) & 0xff);
    return b;
}

// The signature of a thin 64-bit file made by machO starts at 0x1000; the offset of its
// load command's data offset.
constexpr std::size_t kSig = 0x1000;
constexpr std::size_t kDataOff = 32 + 24 + 8;

} // namespace

TEST(CodeSignature, TeamAndGroupsOfThinFatOldAndAdHocFiles) {
    // A code directory from before the team field: the team comes from the entitlements.
    SignedExecutable old = chat(chat().groups, "");
    old.entitlementsTeam = "BSQQRLSYCE";
    old.codeDirectoryVersion = 0x20100;
    SignedExecutable ppc = chat(), adHoc = chat({}, "");
    adHoc.identifier = "chat-55554944";
    adHoc.entitlements = false;
    ppc.is64 = false;
    ppc.bigEndian = true;
    const SignedExecutable badTeam =
        chat({"../../Preferences", "group.com.example.ok", "tab\there", ""}, "bsqq/../xy");
    const QString id = QStringLiteral("com.example.chat"), team = QStringLiteral("BSQQRLSYCE");
    const QStringList groups{team + ".com.example.chat", "group.com.example.family"};
    const QString intelGroup = team + ".com.example.intel";
    const struct {
        const char *name;
        std::string bytes;
        QString identifier, team;
        QStringList groups;
    } cases[] = {
        {"ThinArm64", test::machO(chat()), id, team, groups},
        {"FatSlicesJoinTheirGroups", test::fatMachO({test::machO(chat()), test::machO(intel())}),
         id, team, groups + QStringList{intelGroup}},
        {"Fat64", test::fatMachO({test::machO(intel()), test::machO(chat())}, true), id, team,
         QStringList{groups[0], intelGroup, groups[1]}},
        {"OldCodeDirectoryTakesTheEntitledTeam", test::machO(old), id, team, groups},
        {"AdHocNamesNoTeam", test::machO(adHoc), "chat-55554944", "", {}},
        {"BigEndian32", test::machO(ppc), id, team, groups},
        {"NamesThatCannotBeFilesAreDropped", test::machO(badTeam), id, "",
         QStringList{"group.com.example.ok"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CodeSignature> s = readCodeSignature(MemorySource(c.bytes));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->identifier, c.identifier);
        EXPECT_EQ(s->teamIdentifier, c.team);
        EXPECT_EQ(s->applicationGroups, c.groups);
    }
}

TEST(CodeSignature, HostileFiles_NoTeamAndReadsStayInBounds) {
    const std::string thin = test::machO(chat()), fat = test::fatMachO({thin});
    SignedExecutable notSigned = chat();
    notSigned.signedAtAll = false;
    std::string selfBlobs = thin;
    for (std::uint32_t i = 0; i < std::uint8_t(thin[kSig + 11]); ++i)
        selfBlobs = with(selfBlobs, kSig + 12 + 8 * i + 4, 0, true);
    const std::pair<const char *, std::string> cases[] = {
        {"Empty", ""},
        {"ShellScript", "#!/bin/sh\nexec \"$0.real\" \"$@\"\n"},
        {"JavaClassFile",
         std::string("\xca\xfe\xba\xbe\x00\x00\x00\x34", 8) + std::string(64, 'x')},
        {"Unsigned", test::machO(notSigned)},
        {"LoadCommandOfSizeZero", with(thin, 32 + 4, 0, false)},
        {"HugeCommandCount", with(with(thin, 16, 0xffffffff, false), 20, 0xffffffff, false)},
        {"SignatureOffsetOutsideTheFile", with(thin, kDataOff, 0xfffffff0, false)},
        {"SignatureSizeOverflows", with(thin, kDataOff + 4, 0xffffffff, false)},
        {"BlobCountOverflows", with(thin, kSig + 8, 0x20000000, true)}, // 8 * count wraps
        {"EveryBlobIsTheSuperBlob", selfBlobs},
        {"FatSliceIsTheFatHeader", with(fat, 16, 0, true)},
        {"FatSliceCountOverflows", with(fat, 4, 0xffffffff, true)},
        {"Truncated", thin.substr(0, kSig + 20)},
    };
    for (const auto &[name, bytes] : cases) {
        SCOPED_TRACE(name);
        const MemorySource source(bytes);
        if (const std::optional<CodeSignature> s = readCodeSignature(source)) {
            EXPECT_TRUE(s->teamIdentifier.isEmpty()) << s->teamIdentifier.toStdString();
            EXPECT_TRUE(s->applicationGroups.isEmpty());
        }
        EXPECT_LE(source.asked, codesign::kMaxBytesRead);
    }
}

// Mutations of real-looking files: whatever the reader returns stays within its rules.
TEST(CodeSignature, MutatedFilesReadWithinBounds) {
    const std::string thin = test::machO(chat());
    const std::vector<std::string> seeds = {thin, test::fatMachO({thin, test::machO(intel())}),
                                            test::fatMachO({test::machO(intel())}, true)};
    const std::uint32_t boundaries[] = {0,          1,          7,          8,          12,
                                        0x7fffffff, 0x80000000, 0xfffffff8, 0xffffffff, 0x1000};
    std::mt19937 rng(20240611);
    for (int round = 0; round < 6000; ++round) {
        std::string b = seeds[std::size_t(round) % seeds.size()];
        for (int e = 1 + int(rng() % 4); e > 0 && b.size() >= 8; --e) {
            const std::size_t at = rng() % (b.size() - 4);
            const unsigned what = rng() % 4;
            if (what == 0)
                b[at] = char(rng());
            else if (what == 3)
                b.resize(at);
            else
                b = with(std::move(b), at & ~std::size_t(3),
                         boundaries[rng() % std::size(boundaries)], what == 1);
        }
        const MemorySource source(b);
        const std::optional<CodeSignature> s = readCodeSignature(source);
        ASSERT_LE(source.asked, codesign::kMaxBytesRead) << "round " << round;
        if (!s)
            continue;
        ASSERT_TRUE(s->teamIdentifier.isEmpty() || s->teamIdentifier.size() == 10)
            << "round " << round;
        ASSERT_LE(s->applicationGroups.size(), codesign::kMaxGroups);
        for (const QString &g : s->applicationGroups)
            ASSERT_FALSE(g.isEmpty() || g.contains('/') || g.size() > 255) << "round " << round;
    }
}

TEST(CodeSignature, ReadsAFileButNeverAFifoOrALink_NorHugeEntitlements) {
    test::TreeBuilder tree;
    const fs::path exe = tree.file("Chat.app/Contents/MacOS/Chat", test::machO(chat()));
    EXPECT_EQ(readCodeSignature(exe).value_or(CodeSignature{}).teamIdentifier, "BSQQRLSYCE");
    const fs::path fifo = tree.dir("Fifo.app/Contents/MacOS") / "Fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readCodeSignature(fifo)); // returns at once: a blocking open would hang here
    EXPECT_FALSE(readCodeSignature(tree.link("Link.app/Contents/MacOS/Link", exe)));
    EXPECT_FALSE(readCodeSignature(tree / "Missing.app/Contents/MacOS/Missing"));

    // Huge entitlements are not read; the team still is.
    const MemorySource source(
        test::machO(chat(std::vector<std::string>(40000, "group.com.example.padding.padding"))));
    ASSERT_GT(source.size(), codesign::kMaxEntitlementsBytes);
    const CodeSignature sig = readCodeSignature(source).value_or(CodeSignature{});
    EXPECT_EQ(sig.teamIdentifier, "BSQQRLSYCE");
    EXPECT_TRUE(sig.applicationGroups.isEmpty());
    EXPECT_LT(source.asked, std::uint64_t(64 << 10));
}
