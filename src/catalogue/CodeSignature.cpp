#include "catalogue/CodeSignature.h"

#include "platform/PropertyList.h"
#include "platform/RandomAccessFile.h"

#include <QByteArray>

#include <algorithm>

namespace zembra {

namespace {

// The numbers of the Mach-O and code-signing formats (Apple's public headers).
constexpr std::uint32_t kFatMagic = 0xcafebabe;
constexpr std::uint32_t kFatMagic64 = 0xcafebabf;
constexpr std::uint32_t kMachMagic = 0xfeedface;
constexpr std::uint32_t kMachMagic64 = 0xfeedfacf;
constexpr std::uint32_t kMachCigam = 0xcefaedfe;
constexpr std::uint32_t kMachCigam64 = 0xcffaedfe;
constexpr std::uint32_t kLoadCodeSignature = 0x1d;
constexpr std::uint32_t kSuperBlobMagic = 0xfade0cc0;
constexpr std::uint32_t kCodeDirectoryMagic = 0xfade0c02;
constexpr std::uint32_t kEntitlementsMagic = 0xfade7171;
constexpr std::uint32_t kSlotCodeDirectory = 0;
constexpr std::uint32_t kSlotEntitlements = 5;
constexpr std::uint32_t kSlotAlternateFirst = 0x1000;
constexpr std::uint32_t kSlotAlternateLast = 0x1004;
constexpr std::uint32_t kVersionWithTeam = 0x20200;
constexpr std::size_t kCodeDirectoryTeamField = 48; // byte offset of teamOffset
constexpr std::size_t kMaxString = 255;

std::uint32_t be32(const std::string &b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}

std::uint64_t be64(const std::string &b, std::size_t at) {
    return std::uint64_t(be32(b, at)) << 32 | be32(b, at + 4);
}

std::uint32_t le32(const std::string &b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

// A value that can name a file and shows as it is: printable ASCII, no "/", not "." or "..".
bool isNameLike(const std::string &s) {
    if (s.empty() || s.size() > kMaxString || s == "." || s == "..")
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return c > 0x20 && c < 0x7f && c != '/'; });
}

bool isTeamIdentifier(const std::string &s) {
    return s.size() == 10 && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// Reads through the source, within the budget for the whole file.
class Reader {
public:
    explicit Reader(const ByteSource &source) : m_source(source) {}
    std::uint64_t size() const { return m_source.size(); }
    std::optional<std::string> read(std::uint64_t offset, std::uint64_t length) {
        if (length > codesign::kMaxBytesRead - m_spent || offset > size() ||
            length > size() - offset)
            return std::nullopt;
        m_spent += length;
        return m_source.read(offset, std::size_t(length));
    }

private:
    const ByteSource &m_source;
    std::uint64_t m_spent = 0;
};

struct Collected {
    CodeSignature signature;
    bool found = false;
};

// A NUL-terminated string at `offset` of a blob of `length` bytes starting at `blob`.
std::string blobString(Reader &r, std::uint64_t blob, std::uint32_t length, std::uint32_t offset) {
    if (offset == 0 || offset >= length)
        return {};
    const std::uint64_t take = std::min<std::uint64_t>(length - offset, kMaxString + 1);
    const std::optional<std::string> bytes = r.read(blob + offset, take);
    if (!bytes)
        return {};
    const std::size_t end = bytes->find('\0');
    return end == std::string::npos ? std::string() : bytes->substr(0, end);
}

void readCodeDirectory(Reader &r, std::uint64_t blob, std::uint64_t room, Collected &out) {
    const std::optional<std::string> head =
        r.read(blob, std::min<std::uint64_t>(room, kCodeDirectoryTeamField + 4));
    if (!head || head->size() < 24 || be32(*head, 0) != kCodeDirectoryMagic)
        return;
    const std::uint32_t length = be32(*head, 4);
    if (length > room || length < 24)
        return;
    if (out.signature.identifier.isEmpty()) {
        const std::string id = blobString(r, blob, length, be32(*head, 20));
        if (isNameLike(id))
            out.signature.identifier = QString::fromLatin1(id);
    }
    if (out.signature.teamIdentifier.isEmpty() && be32(*head, 8) >= kVersionWithTeam &&
        head->size() >= kCodeDirectoryTeamField + 4 && length >= kCodeDirectoryTeamField + 4) {
        const std::string team = blobString(r, blob, length, be32(*head, kCodeDirectoryTeamField));
        if (isTeamIdentifier(team))
            out.signature.teamIdentifier = QString::fromLatin1(team);
    }
}

void readEntitlements(Reader &r, std::uint64_t blob, std::uint64_t room, Collected &out,
                      std::string &entitledTeam) {
    const std::optional<std::string> head = r.read(blob, 8);
    if (!head || be32(*head, 0) != kEntitlementsMagic)
        return;
    const std::uint32_t length = be32(*head, 4);
    if (length <= 8 || length > room || length > codesign::kMaxEntitlementsBytes)
        return;
    const std::optional<std::string> body = r.read(blob + 8, length - 8);
    if (!body)
        return;
    const platform::PropertyList plist =
        platform::PropertyList::fromMemory(QByteArray(body->data(), qsizetype(body->size())));
    const platform::PlistNode root = plist.root();
    if (!root.isDictionary())
        return;
    const platform::PlistNode groups = root.item("com.apple.security.application-groups");
    for (std::uint32_t i = 0;
         i < groups.count() && out.signature.applicationGroups.size() < codesign::kMaxGroups; ++i) {
        const std::optional<QString> g = groups.at(i).string();
        if (g && isNameLike(g->toStdString()) && !out.signature.applicationGroups.contains(*g))
            out.signature.applicationGroups.append(*g);
    }
    if (const std::optional<QString> team =
            root.item("com.apple.developer.team-identifier").string();
        team && entitledTeam.empty())
        entitledTeam = team->toStdString();
}

void readSuperBlob(Reader &r, std::uint64_t start, std::uint64_t room, Collected &out,
                   std::string &entitledTeam) {
    const std::optional<std::string> head = r.read(start, 12);
    if (!head || be32(*head, 0) != kSuperBlobMagic)
        return;
    const std::uint64_t length = std::min<std::uint64_t>(be32(*head, 4), room);
    const std::uint32_t count = be32(*head, 8);
    if (count > codesign::kMaxBlobs || 12 + 8 * std::uint64_t(count) > length)
        return;
    const std::optional<std::string> index = r.read(start + 12, 8 * std::uint64_t(count));
    if (!index)
        return;
    out.found = true;
    bool entitlementsSeen = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t type = be32(*index, 8 * i);
        const std::uint32_t offset = be32(*index, 8 * i + 4);
        if (offset < 12 + 8 * std::uint64_t(count) || offset >= length || length - offset < 8)
            continue;
        if (type == kSlotCodeDirectory ||
            (type >= kSlotAlternateFirst && type <= kSlotAlternateLast))
            readCodeDirectory(r, start + offset, length - offset, out);
        else if (type == kSlotEntitlements && !entitlementsSeen) {
            entitlementsSeen = true; // one per slice, however often the index names it
            readEntitlements(r, start + offset, length - offset, out, entitledTeam);
        }
    }
}

// One Mach-O file of `size` bytes at `base`.
void readThin(Reader &r, std::uint64_t base, std::uint64_t size, Collected &out,
              std::string &entitledTeam) {
    const std::optional<std::string> magic = r.read(base, 4);
    if (!magic)
        return;
    const std::uint32_t m = le32(*magic, 0);
    const bool is64 = m == kMachMagic64 || m == kMachCigam64;
    const bool swapped = m == kMachCigam || m == kMachCigam64;
    if (!is64 && !swapped && m != kMachMagic)
        return;
    const std::uint64_t headerSize = is64 ? 32 : 28;
    const std::optional<std::string> header = r.read(base, std::min(headerSize, size));
    if (!header || header->size() < headerSize)
        return;
    auto word = [swapped](const std::string &b, std::size_t at) {
        return swapped ? be32(b, at) : le32(b, at);
    };
    const std::uint32_t ncmds = word(*header, 16);
    const std::uint32_t sizeofcmds = word(*header, 20);
    if (sizeofcmds > codesign::kMaxLoadCommandBytes || sizeofcmds > size - headerSize)
        return;
    const std::optional<std::string> cmds = r.read(base + headerSize, sizeofcmds);
    if (!cmds)
        return;
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < ncmds && at + 8 <= sizeofcmds; ++i) {
        const std::uint32_t cmd = word(*cmds, at);
        const std::uint32_t cmdsize = word(*cmds, at + 4);
        if (cmdsize < 8 || cmdsize > sizeofcmds - at)
            return; // a command of size 0 would hold the walk in place
        if (cmd == kLoadCodeSignature && cmdsize >= 16) {
            const std::uint64_t dataoff = word(*cmds, at + 8);
            const std::uint64_t datasize = word(*cmds, at + 12);
            if (dataoff < size && datasize <= size - dataoff)
                readSuperBlob(r, base + dataoff, datasize, out, entitledTeam);
            return;
        }
        at += cmdsize;
    }
}

} // namespace

std::optional<CodeSignature> readCodeSignature(const ByteSource &source) {
    Reader r(source);
    Collected out;
    std::string entitledTeam;
    const std::optional<std::string> magic = r.read(0, 8);
    if (!magic)
        return std::nullopt;
    const std::uint32_t m = be32(*magic, 0);
    if (m == kFatMagic || m == kFatMagic64) {
        // Java class files share the magic; their next word (a version) is far above the bound.
        const std::uint32_t slices = be32(*magic, 4);
        const std::uint64_t entry = m == kFatMagic64 ? 32 : 20;
        if (slices == 0 || slices > codesign::kMaxSlices)
            return std::nullopt;
        const std::optional<std::string> table = r.read(8, entry * slices);
        if (!table)
            return std::nullopt;
        for (std::uint32_t i = 0; i < slices; ++i) {
            const std::size_t e = std::size_t(entry * i);
            const std::uint64_t offset =
                m == kFatMagic64 ? be64(*table, e + 8) : be32(*table, e + 8);
            const std::uint64_t size =
                m == kFatMagic64 ? be64(*table, e + 16) : be32(*table, e + 12);
            // A slice is a thin file after the table: never the fat header itself again.
            if (offset < 8 + entry * slices || offset >= r.size() || size > r.size() - offset)
                continue;
            readThin(r, offset, size, out, entitledTeam);
        }
    } else {
        readThin(r, 0, r.size(), out, entitledTeam);
    }
    if (!out.found)
        return std::nullopt;
    if (out.signature.teamIdentifier.isEmpty() && isTeamIdentifier(entitledTeam))
        out.signature.teamIdentifier = QString::fromLatin1(entitledTeam);
    return out.signature;
}

std::optional<CodeSignature> readCodeSignature(const std::filesystem::path &executable) {
    class FileSource : public ByteSource {
    public:
        explicit FileSource(platform::RandomAccessFile file) : m_file(std::move(file)) {}
        std::uint64_t size() const override { return m_file.size(); }
        std::optional<std::string> read(std::uint64_t offset, std::size_t length) const override {
            return m_file.read(offset, length);
        }

    private:
        platform::RandomAccessFile m_file;
    };
    std::optional<platform::RandomAccessFile> file = platform::RandomAccessFile::open(executable);
    if (!file)
        return std::nullopt;
    return readCodeSignature(FileSource(std::move(*file)));
}

} // namespace zembra
