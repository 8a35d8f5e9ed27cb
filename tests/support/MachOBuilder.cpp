#include "support/MachOBuilder.h"

namespace zembra::test {

namespace {

void putBe32(std::string &out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((v >> shift) & 0xff));
}

void putBe64(std::string &out, std::uint64_t v) {
    putBe32(out, std::uint32_t(v >> 32));
    putBe32(out, std::uint32_t(v));
}

void putWord(std::string &out, std::uint32_t v, bool bigEndian) {
    if (bigEndian) {
        putBe32(out, v);
        return;
    }
    for (int shift = 0; shift <= 24; shift += 8)
        out.push_back(char((v >> shift) & 0xff));
}

std::string codeDirectory(const SignedExecutable &binary) {
    const bool withTeam = binary.codeDirectoryVersion >= 0x20200;
    const std::uint32_t headerSize = withTeam ? 0x58 : 0x30;
    const std::uint32_t identOffset = headerSize;
    const std::uint32_t teamOffset =
        binary.team.empty() ? 0 : identOffset + std::uint32_t(binary.identifier.size()) + 1;
    const std::uint32_t hashOffset =
        identOffset + std::uint32_t(binary.identifier.size()) + 1 +
        (binary.team.empty() ? 0 : std::uint32_t(binary.team.size()) + 1) +
        5 * 32; // five special slots before the code slot
    const std::uint32_t length = hashOffset + 32;
    std::string cd;
    putBe32(cd, 0xfade0c02);
    putBe32(cd, length);
    putBe32(cd, binary.codeDirectoryVersion);
    putBe32(cd, 0x10000); // runtime
    putBe32(cd, hashOffset);
    putBe32(cd, identOffset);
    putBe32(cd, 5);      // special slots
    putBe32(cd, 1);      // code slots
    putBe32(cd, 0x1000); // code limit
    cd += char(32);      // hash size
    cd += char(2);       // SHA-256
    cd += char(0);       // platform
    cd += char(12);      // 4 KiB pages
    putBe32(cd, 0);      // spare
    putBe32(cd, 0);      // scatter
    if (withTeam) {
        putBe32(cd, teamOffset);
        while (cd.size() < headerSize)
            cd += '\0'; // spare3, code limit 64, exec segment fields
    }
    cd += binary.identifier + '\0';
    if (!binary.team.empty())
        cd += binary.team + '\0';
    cd += std::string(6 * 32, char(0x5a)); // the hashes
    return cd;
}

std::string blob(std::uint32_t magic, const std::string &payload) {
    std::string b;
    putBe32(b, magic);
    putBe32(b, std::uint32_t(payload.size() + 8));
    return b + payload;
}

std::string superBlob(const SignedExecutable &binary) {
    std::vector<std::pair<std::uint32_t, std::string>> blobs;
    blobs.emplace_back(0, codeDirectory(binary));
    std::string requirements;
    putBe32(requirements, 0); // no requirements
    blobs.emplace_back(2, blob(0xfade0c01, requirements));
    if (binary.entitlements)
        blobs.emplace_back(
            5, blob(0xfade7171, entitlementsPlist(binary.groups, binary.entitlementsTeam)));
    blobs.emplace_back(0x10000, blob(0xfade0b01, {}));
    std::string index, body;
    std::uint32_t offset = 12 + 8 * std::uint32_t(blobs.size());
    for (const auto &[type, b] : blobs) {
        putBe32(index, type);
        putBe32(index, offset + std::uint32_t(body.size()));
        body += b;
    }
    std::string out;
    putBe32(out, 0xfade0cc0);
    putBe32(out, offset + std::uint32_t(body.size()));
    putBe32(out, std::uint32_t(blobs.size()));
    return out + index + body;
}

} // namespace

std::string entitlementsPlist(const std::vector<std::string> &groups, const std::string &team) {
    std::string p =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
        "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
        "version=\"1.0\">\n<dict>\n"
        "\t<key>com.apple.security.app-sandbox</key>\n\t<true/>\n";
    if (!groups.empty()) {
        p += "\t<key>com.apple.security.application-groups</key>\n\t<array>\n";
        for (const std::string &g : groups)
            p += "\t\t<string>" + g + "</string>\n";
        p += "\t</array>\n";
    }
    if (!team.empty())
        p += "\t<key>com.apple.developer.team-identifier</key>\n\t<string>" + team + "</string>\n";
    return p + "</dict>\n</plist>\n";
}

std::string machO(const SignedExecutable &binary) {
    const bool be = binary.bigEndian;
    const std::uint32_t uuidSize = 24, signatureCommandSize = 16;
    const std::uint32_t commands = binary.signedAtAll ? 2 : 1;
    const std::uint32_t sizeofcmds = uuidSize + (binary.signedAtAll ? signatureCommandSize : 0);
    const std::uint32_t codeEnd = 0x1000;
    const std::string signature = binary.signedAtAll ? superBlob(binary) : std::string();

    std::string out;
    putWord(out, binary.is64 ? 0xfeedfacf : 0xfeedface, be);
    putWord(out, binary.cpuType, be);
    putWord(out, 0, be); // subtype
    putWord(out, 2, be); // executable
    putWord(out, commands, be);
    putWord(out, sizeofcmds, be);
    putWord(out, 0x00200085, be); // flags
    if (binary.is64)
        putWord(out, 0, be);
    putWord(out, 0x1b, be); // uuid
    putWord(out, uuidSize, be);
    out += std::string(16, char(0x42));
    if (binary.signedAtAll) {
        putWord(out, 0x1d, be);
        putWord(out, signatureCommandSize, be);
        putWord(out, codeEnd, be);
        putWord(out, std::uint32_t(signature.size()), be);
    }
    out.resize(codeEnd, char(0xc3)); // the "code"
    return out + signature;
}

std::string fatMachO(const std::vector<std::string> &slices, bool wide) {
    const std::uint64_t align = 0x1000;
    std::string out;
    putBe32(out, wide ? 0xcafebabf : 0xcafebabe);
    putBe32(out, std::uint32_t(slices.size()));
    std::uint64_t offset = align;
    std::string body;
    for (const std::string &s : slices) {
        const std::uint32_t cpu =
            std::uint32_t(std::uint8_t(s[4])) | std::uint32_t(std::uint8_t(s[5])) << 8 |
            std::uint32_t(std::uint8_t(s[6])) << 16 | std::uint32_t(std::uint8_t(s[7])) << 24;
        putBe32(out, cpu);
        putBe32(out, 0);
        if (wide) {
            putBe64(out, offset);
            putBe64(out, s.size());
            putBe32(out, 12);
            putBe32(out, 0);
        } else {
            putBe32(out, std::uint32_t(offset));
            putBe32(out, std::uint32_t(s.size()));
            putBe32(out, 12);
        }
        body.resize(offset - align, '\0');
        body += s;
        offset = (align + body.size() + align - 1) / align * align;
    }
    out.resize(align, '\0');
    return out + body;
}

} // namespace zembra::test
