#include "platform/VisibleText.h"

#include "platform/Utf8.h"

#include <QList>

#include <cstdio>

namespace zembra::platform {

namespace {

void appendEscaped(QString &out, char32_t c) {
    switch (c) {
    case '\\':
        out += QLatin1String("\\\\");
        return;
    case '\t':
        out += QLatin1String("\\t");
        return;
    case '\n':
        out += QLatin1String("\\n");
        return;
    case '\r':
        out += QLatin1String("\\r");
        return;
    default:
        break;
    }
    if (!isInvisibleControl(c)) {
        // Not through fromUcs4(), whose decoder would drop a U+FEFF as a byte-order mark.
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
        return;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, c < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(c));
    out += QLatin1String(buf);
}

} // namespace

bool isInvisibleControl(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 || c == 0x061c ||
           c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString visiblyEscaped(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4())
        appendEscaped(out, c);
    return out;
}

QString markupEscaped(const QString &text) {
    return text.toHtmlEscaped();
}

QString visiblyEscaped(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t len = decodeUtf8Sequence(bytes, i, c);
        if (len == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x",
                          unsigned(static_cast<unsigned char>(bytes[i])));
            out += QLatin1String(buf);
            ++i;
            continue;
        }
        appendEscaped(out, c);
        i += len;
    }
    return out;
}

} // namespace zembra::platform
