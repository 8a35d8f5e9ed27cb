#include "support/HostilePlists.h"

namespace zembra::test {

std::string bigEndian(std::uint64_t value, int bytes) {
    std::string out;
    for (int k = bytes - 1; k >= 0; --k)
        out += char((value >> (8 * k)) & 0xFF);
    return out;
}

std::string binaryArrays(const std::vector<std::vector<std::uint32_t>> &arrays) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto &refs : arrays) {
        offsets.push_back(out.size());
        if (refs.size() < 15) {
            out += char(0xA0 | refs.size());
        } else {
            out += char(0xAF);
            out += char(0x12); // a four-byte count follows
            out += bigEndian(refs.size(), 4);
        }
        for (std::uint32_t ref : refs)
            out += bigEndian(ref, 4);
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets)
        out += bigEndian(offset, 4);
    out += std::string(6, '\0');
    out += char(4); // offset size
    out += char(4); // reference size
    out += bigEndian(arrays.size(), 8);
    out += bigEndian(0, 8);
    out += bigEndian(table, 8);
    return out;
}

std::string deepBinary(std::uint32_t depth) {
    std::vector<std::vector<std::uint32_t>> arrays(depth);
    for (std::uint32_t i = 0; i + 1 < depth; ++i)
        arrays[i] = {i + 1};
    return binaryArrays(arrays);
}

std::string deepXml(std::uint32_t depth) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    out.reserve(out.size() + depth * 15 + 10);
    for (std::uint32_t i = 0; i < depth; ++i)
        out += "<array>";
    for (std::uint32_t i = 0; i < depth; ++i)
        out += "</array>";
    return out + "</plist>\n";
}

} // namespace zembra::test
