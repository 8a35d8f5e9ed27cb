#include "platform/Utf8.h"

namespace zembra::platform {

size_t decodeUtf8Sequence(std::string_view bytes, size_t at, char32_t &codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length;
    char32_t cp, least;
    if ((lead & 0xe0) == 0xc0)
        length = 2, cp = lead & 0x1f, least = 0x80;
    else if ((lead & 0xf0) == 0xe0)
        length = 3, cp = lead & 0x0f, least = 0x800;
    else if ((lead & 0xf8) == 0xf0)
        length = 4, cp = lead & 0x07, least = 0x10000;
    else
        return 0;
    if (length > bytes.size() - at)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xc0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(at + k) & 0x3f);
    }
    if (cp < least || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
        return 0;
    codePoint = cp;
    return length;
}

bool isUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t c;
        const size_t length = decodeUtf8Sequence(bytes, i, c);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void appendUtf8(std::string &out, char32_t codePoint) {
    const char32_t c = codePoint;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xc0 | (c >> 6));
        out += char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += char(0xe0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3f));
        out += char(0x80 | (c & 0x3f));
    } else {
        out += char(0xf0 | ((c >> 18) & 0x07));
        out += char(0x80 | ((c >> 12) & 0x3f));
        out += char(0x80 | ((c >> 6) & 0x3f));
        out += char(0x80 | (c & 0x3f));
    }
}

} // namespace zembra::platform
