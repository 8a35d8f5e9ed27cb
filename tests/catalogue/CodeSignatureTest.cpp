// The code-signature reader: team and application groups from thin and fat executables,
// and its bounds on hostile files (truncations, offsets outside the file, counts that
// overflow, blobs that point back at themselves), with a deterministic mutation loop.
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

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    std::optional<std::string> read(std::uint64_t offset, std::size_t length) const override {
        m_asked += length;
        if (offset > m_bytes.size() || length > m_bytes.size() - offset)
            return std::nullopt;
        return m_bytes.substr(std::size_t(offset), length);
    }
    mutable std::uint64_t m_asked = 0;

private:
    std::string m_bytes;
};

std::optional<CodeSignature> read(const std::string &bytes) {
    return readCodeSignature(MemorySource(bytes));
}

SignedExecutable chat() {
    SignedExecutable s;
    s.identifier = "com.example.chat";
    s.team = "BSQQRLSYCE";
    s.groups = {"BSQQRLSYCE.com.example.chat", "group.com.example.family"};
    return s;
}

void putBe32(std::string &b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (24 - 8 * i)) & 0xff);
}
std::uint32_t be32(const std::string &b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}
void putLe32(std::string &b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

// The signature of a thin 64-bit file made by machO starts at 0x1000.
constexpr std::size_t kSig = 0x1000;

struct ReadCase {
    const char *name;
    std::string bytes;
    QString identifier;
    QString team;
    QStringList groups;
};
void PrintTo(const ReadCase &c, std::ostream *os) {
    *os << c.name;
}

std::vector<ReadCase> readCases() {
    const QStringList chatGroups{QStringLiteral("BSQQRLSYCE.com.example.chat"),
                                 QStringLiteral("group.com.example.family")};
    SignedExecutable intel = chat();
    intel.cpuType = test::kCpuX86_64;
    intel.groups = {"BSQQRLSYCE.com.example.chat", "BSQQRLSYCE.com.example.intel"};
    SignedExecutable old = chat();
    old.codeDirectoryVersion = 0x20100; // before the team field
    old.team.clear();
    old.entitlementsTeam = "BSQQRLSYCE";
    SignedExecutable adHoc;
    adHoc.identifier = "chat-55554944";
    adHoc.entitlements = false;
    SignedExecutable ppc = chat();
    ppc.is64 = false;
    ppc.bigEndian = true;
    SignedExecutable badTeam = chat();
    badTeam.team = "bsqq/../xy";
    badTeam.groups = {"../../Preferences", "group.com.example.ok", "tab\there", ""};
    return {
        {"ThinArm64", test::machO(chat()), "com.example.chat", "BSQQRLSYCE", chatGroups},
        {"FatSlicesJoinTheirGroups", test::fatMachO({test::machO(chat()), test::machO(intel)}),
         "com.example.chat", "BSQQRLSYCE",
         QStringList{"BSQQRLSYCE.com.example.chat", "group.com.example.family",
                     "BSQQRLSYCE.com.example.intel"}},
        {"Fat64", test::fatMachO({test::machO(intel), test::machO(chat())}, true),
         "com.example.chat", "BSQQRLSYCE",
         QStringList{"BSQQRLSYCE.com.example.chat", "BSQQRLSYCE.com.example.intel",
                     "group.com.example.family"}},
        {"OldCodeDirectoryTakesTheEntitledTeam", test::machO(old), "com.example.chat", "BSQQRLSYCE",
         chatGroups},
        {"AdHocNamesNoTeam", test::machO(adHoc), "chat-55554944", "", {}},
        {"BigEndian32", test::machO(ppc), "com.example.chat", "BSQQRLSYCE", chatGroups},
        {"NamesThatCannotBeFilesAreDropped", test::machO(badTeam), "com.example.chat", "",
         QStringList{"group.com.example.ok"}},
    };
}

} // namespace

class SignatureRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SignatureRead, TeamAndGroups) {
    const ReadCase &c = GetParam();
    const std::optional<CodeSignature> s = read(c.bytes);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->identifier, c.identifier);
    EXPECT_EQ(s->teamIdentifier, c.team);
    EXPECT_EQ(s->applicationGroups, c.groups);
}

INSTANTIATE_TEST_SUITE_P(CodeSignature, SignatureRead, ::testing::ValuesIn(readCases()));

namespace {
struct HostileCase {
    const char *name;
    std::function<std::string()> make;
};
void PrintTo(const HostileCase &c, std::ostream *os) {
    *os << c.name;
}

std::string signedChat() {
    return test::machO(chat());
}
// Offset of the code-signature load command's data offset in a thin 64-bit file.
constexpr std::size_t kDataOff = 32 + 24 + 8;

std::vector<HostileCase> hostileCases() {
    return {
        {"Empty", [] { return std::string(); }},
        {"ShellScript", [] { return std::string("#!/bin/sh\nexec \"$0.real\" \"$@\"\n"); }},
        {"JavaClassFile",
         [] { return std::string("\xca\xfe\xba\xbe\x00\x00\x00\x34", 8) + std::string(64, 'x'); }},
        {"Unsigned",
         [] {
             SignedExecutable s = chat();
             s.signedAtAll = false;
             return test::machO(s);
         }},
        {"LoadCommandOfSizeZero",
         [] {
             std::string b = signedChat();
             putLe32(b, 32 + 4, 0);
             return b;
         }},
        {"HugeCommandCount",
         [] {
             std::string b = signedChat();
             putLe32(b, 16, 0xffffffff);
             putLe32(b, 20, 0xffffffff);
             return b;
         }},
        {"SignatureOffsetOutsideTheFile",
         [] {
             std::string b = signedChat();
             putLe32(b, kDataOff, 0xfffffff0);
             return b;
         }},
        {"SignatureSizeOverflows",
         [] {
             std::string b = signedChat();
             putLe32(b, kDataOff + 4, 0xffffffff);
             return b;
         }},
        {"BlobCountOverflows",
         [] {
             std::string b = signedChat();
             putBe32(b, kSig + 8, 0x20000000); // 8 * count wraps in 32 bits
             return b;
         }},
        {"EveryBlobIsTheSuperBlob",
         [] {
             std::string b = signedChat();
             for (std::uint32_t i = 0; i < be32(b, kSig + 8); ++i)
                 putBe32(b, kSig + 12 + 8 * i + 4, 0);
             return b;
         }},
        {"FatSliceIsTheFatHeader",
         [] {
             std::string b = test::fatMachO({signedChat()});
             putBe32(b, 16, 0);
             return b;
         }},
        {"FatSliceCountOverflows",
         [] {
             std::string b = test::fatMachO({signedChat()});
             putBe32(b, 4, 0xffffffff);
             return b;
         }},
        {"Truncated", [] { return signedChat().substr(0, kSig + 20); }},
    };
}
} // namespace

class HostileSignature : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileSignature, ReadsNoTeamAndStaysInBounds) {
    const MemorySource source(GetParam().make());
    const std::optional<CodeSignature> s = readCodeSignature(source);
    if (s) {
        EXPECT_TRUE(s->teamIdentifier.isEmpty()) << s->teamIdentifier.toStdString();
        EXPECT_TRUE(s->applicationGroups.isEmpty());
    }
    EXPECT_LE(source.m_asked, codesign::kMaxBytesRead);
}

INSTANTIATE_TEST_SUITE_P(CodeSignature, HostileSignature, ::testing::ValuesIn(hostileCases()));

TEST(CodeSignature, HugeEntitlementsAreNotRead) {
    SignedExecutable s = chat();
    s.groups.assign(40000, "group.com.example.padding.padding.padding");
    const std::string bytes = test::machO(s);
    ASSERT_GT(bytes.size(), codesign::kMaxEntitlementsBytes);
    const MemorySource source(bytes);
    const std::optional<CodeSignature> sig = readCodeSignature(source);
    ASSERT_TRUE(sig);
    EXPECT_EQ(sig->teamIdentifier, "BSQQRLSYCE");
    EXPECT_TRUE(sig->applicationGroups.isEmpty());
    EXPECT_LT(source.m_asked, std::uint64_t(64 << 10));
}

// Mutations of real-looking files: whatever the reader returns stays within its rules.
TEST(CodeSignature, MutatedFilesReadWithinBounds) {
    SignedExecutable intel = chat();
    intel.cpuType = test::kCpuX86_64;
    const std::vector<std::string> seeds = {signedChat(),
                                            test::fatMachO({signedChat(), test::machO(intel)}),
                                            test::fatMachO({test::machO(intel)}, true)};
    const std::uint32_t boundaries[] = {0,          1,          7,          8,          12,
                                        0x7fffffff, 0x80000000, 0xfffffff8, 0xffffffff, 0x1000};
    std::mt19937 rng(20240611);
    for (int round = 0; round < 6000; ++round) {
        std::string b = seeds[std::size_t(round) % seeds.size()];
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % (b.size() - 4);
            switch (rng() % 4) {
            case 0:
                b[at] = char(rng());
                break;
            case 1:
                putBe32(b, at & ~std::size_t(3), boundaries[rng() % std::size(boundaries)]);
                break;
            case 2:
                putLe32(b, at & ~std::size_t(3), boundaries[rng() % std::size(boundaries)]);
                break;
            default:
                b.resize(at);
                break;
            }
            if (b.size() < 8)
                break;
        }
        const MemorySource source(b);
        const std::optional<CodeSignature> s = readCodeSignature(source);
        ASSERT_LE(source.m_asked, codesign::kMaxBytesRead) << "round " << round;
        if (!s)
            continue;
        ASSERT_TRUE(s->teamIdentifier.isEmpty() || s->teamIdentifier.size() == 10)
            << "round " << round;
        ASSERT_LE(s->applicationGroups.size(), codesign::kMaxGroups);
        for (const QString &g : s->applicationGroups)
            ASSERT_FALSE(g.isEmpty() || g.contains('/') || g.size() > 255) << "round " << round;
    }
}

TEST(CodeSignature, ReadsAFileButNeverAFifoOrALink) {
    test::TreeBuilder tree;
    const fs::path exe = tree.file("Chat.app/Contents/MacOS/Chat", test::machO(chat()));
    const std::optional<CodeSignature> s = readCodeSignature(exe);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->teamIdentifier, "BSQQRLSYCE");

    const fs::path fifo = tree / "Fifo.app/Contents/MacOS/Fifo";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readCodeSignature(fifo)); // returns at once: a blocking open would hang here
    EXPECT_FALSE(readCodeSignature(tree.link("Link.app/Contents/MacOS/Link", exe)));
    EXPECT_FALSE(readCodeSignature(tree / "Missing.app/Contents/MacOS/Missing"));
}
