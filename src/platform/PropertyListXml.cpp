#include "platform/PropertyListXml.h"

#include "platform/Utf8.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace zembra::platform {

namespace {

constexpr size_t npos = std::string_view::npos;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A piece of an element's text: plain text, or the inside of a CDATA section.
struct TextPart {
    size_t begin;
    size_t end;
    bool cdata;
};

struct Tag {
    size_t start; // the '<'
    std::string_view name;
    bool closing;
    bool empty;
};

// Reads markup as libplist's XML reader does: blanks, processing instructions, comments
// and the document type are passed over between tags; the text of an element is plain
// text, comments and CDATA sections up to its closing tag.
class XmlReader {
public:
    explicit XmlReader(std::string_view d) : m_d(d) {}

    bool failed() const { return m_failed; }
    size_t pos() const { return m_pos; }

    // The next tag; nothing at the end of the text or when the markup is malformed.
    std::optional<Tag> nextTag() {
        for (;;) {
            while (m_pos < m_d.size() && isBlank(m_d[m_pos]))
                ++m_pos;
            if (m_pos >= m_d.size())
                return std::nullopt;
            if (m_d[m_pos] != '<' || m_pos + 1 >= m_d.size())
                return fail();
            const size_t start = m_pos++;
            if (m_d[m_pos] == '?') {
                const size_t at = findOutsideQuotes(m_pos, "?>");
                if (at == npos)
                    return fail();
                m_pos = at + 2;
            } else if (m_d.substr(m_pos, 3) == "!--") {
                const size_t at = m_d.find("-->", m_pos + 3);
                if (at == npos)
                    return fail();
                m_pos = at + 3;
            } else if (m_d.substr(m_pos, 8) == "!DOCTYPE") {
                if (!skipDocumentType())
                    return fail();
            } else if (m_d[m_pos] == '!') {
                return fail();
            } else {
                const size_t nameStart = m_pos;
                const size_t nameEnd = m_d.find_first_of(" \r\n\t<>", nameStart);
                if (nameEnd == npos)
                    return fail();
                const size_t gt =
                    m_d[nameEnd] == '>' ? nameEnd : findOutsideQuotes(nameEnd, "<>", true);
                if (gt == npos || m_d[gt] != '>')
                    return fail();
                Tag tag{start, m_d.substr(nameStart, nameEnd - nameStart), false,
                        m_d[gt - 1] == '/'};
                if (tag.empty && gt - 1 - nameStart < tag.name.size())
                    tag.name = tag.name.substr(0, gt - 1 - nameStart);
                if (!tag.name.empty() && tag.name.front() == '/') {
                    tag.closing = true;
                    tag.name.remove_prefix(1);
                }
                m_pos = gt + 1;
                return tag;
            }
        }
    }

    // The text of the element `name` whose opening tag was just read, and past its
    // closing tag. False when the markup is malformed.
    bool readText(std::string_view name, std::vector<TextPart> &parts) {
        parts.clear();
        size_t plain = m_pos;
        for (;;) {
            const size_t lt = m_d.find('<', m_pos);
            if (lt == npos || lt + 2 >= m_d.size())
                return failText();
            const std::string_view rest = m_d.substr(lt + 1);
            if (rest.substr(0, 3) == "!--") {
                parts.push_back({plain, lt, false});
                const size_t at = m_d.find("-->", lt + 4);
                if (at == npos)
                    return failText();
                m_pos = plain = at + 3;
            } else if (rest.substr(0, 8) == "![CDATA[") {
                if (lt > plain)
                    parts.push_back({plain, lt, false});
                const size_t at = m_d.find("]]>", lt + 9);
                if (at == npos)
                    return failText();
                parts.push_back({lt + 9, at, true});
                m_pos = plain = at + 3;
            } else if (rest.front() == '/') {
                if (lt > plain)
                    parts.push_back({plain, lt, false});
                m_pos = lt + 2;
                if (m_d.substr(m_pos, name.size()) != name)
                    return failText();
                m_pos += name.size();
                while (m_pos < m_d.size() && isBlank(m_d[m_pos]))
                    ++m_pos;
                if (m_pos >= m_d.size() || m_d[m_pos] != '>')
                    return failText();
                ++m_pos;
                return true;
            } else {
                return failText();
            }
        }
    }

private:
    bool failText() {
        fail();
        return false;
    }

    std::nullopt_t fail() {
        m_failed = true;
        m_pos = m_d.size();
        return std::nullopt;
    }

    // The first of `what` (a string, or any of its characters when `anyOf`) at or after
    // `from` outside double quotes; npos when none or a quote is never closed.
    size_t findOutsideQuotes(size_t from, std::string_view what, bool anyOf = false) const {
        for (size_t i = from; i < m_d.size(); ++i) {
            if (m_d[i] == '"') {
                i = m_d.find('"', i + 1);
                if (i == npos)
                    return npos;
            } else if (anyOf ? what.find(m_d[i]) != npos : m_d.substr(i, what.size()) == what) {
                return i;
            }
        }
        return npos;
    }

    bool skipDocumentType() {
        m_pos += 8;
        for (;;) {
            const size_t at = findOutsideQuotes(m_pos, " \t\r\n[>", true);
            if (at == npos)
                return false;
            if (m_d[at] == '[') {
                const size_t end = findOutsideQuotes(at, "]>");
                if (end == npos)
                    return false;
                m_pos = end + 2;
                return true;
            }
            if (m_d[at] == '>') {
                m_pos = at + 1;
                return true;
            }
            m_pos = at;
            while (m_pos < m_d.size() && isBlank(m_d[m_pos]))
                ++m_pos;
        }
    }

    std::string_view m_d;
    size_t m_pos = 0;
    bool m_failed = false;
};

bool isTextElement(std::string_view name) {
    return name == "string" || name == "key" || name == "integer" || name == "real" ||
           name == "date" || name == "data" || name == "true" || name == "false";
}

// A numeric reference's body ("#65", "#x41"): its code point, 0 when libplist refuses it.
unsigned long long numericReference(std::string_view body) {
    if (body.size() > 8)
        return 0;
    const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
    if (body.size() < (hex ? 3u : 2u))
        return 0;
    char buffer[9] = {};
    std::memcpy(buffer, body.data(), body.size());
    const char *digits = buffer + (hex ? 2 : 1);
    char *stop = nullptr;
    // strtoull, as libplist: leading blanks, a sign and a "0x" pass too.
    const unsigned long long value = std::strtoull(digits, &stop, hex ? 16 : 10);
    if (value > 0x10FFFF || size_t(stop - buffer) != body.size())
        return 0;
    return value;
}

// The text of one plain part with its references decoded, byte for byte as libplist
// decodes it: a reference ends at the next ';', the named ones match by their start, and
// an '&' that is the part's last byte stays. Nothing where libplist fails.
std::optional<std::string> decodeReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '&' || i + 1 >= text.size()) {
            out += text[i++];
            continue;
        }
        const size_t semicolon = text.find(';', i + 1);
        if (semicolon == npos || semicolon == i + 1)
            return std::nullopt;
        const std::string_view body = text.substr(i + 1, semicolon - i - 1);
        if (body.starts_with("amp"))
            out += '&';
        else if (body.starts_with("apos"))
            out += '\'';
        else if (body.starts_with("quot"))
            out += '"';
        else if (body.starts_with("lt"))
            out += '<';
        else if (body.starts_with("gt"))
            out += '>';
        else if (const unsigned long long cp = body.front() == '#' ? numericReference(body) : 0)
            appendUtf8(out, char32_t(cp));
        else
            return std::nullopt;
        i = semicolon + 1;
    }
    return out;
}

// `text` as CDATA sections; a "]]>" inside is split between two sections.
void appendCdata(QByteArray &out, std::string_view text) {
    out += "<![CDATA[";
    size_t from = 0;
    for (size_t at = text.find("]]>"); at != npos; at = text.find("]]>", from)) {
        out.append(text.data() + from, qsizetype(at + 2 - from));
        out += "]]><![CDATA[";
        from = at + 2;
    }
    out.append(text.data() + from, qsizetype(text.size() - from));
    out += "]]>";
}

std::optional<std::string> textOf(std::string_view xml, const std::vector<TextPart> &parts) {
    std::string out;
    for (const TextPart &p : parts) {
        const std::string_view piece = xml.substr(p.begin, p.end - p.begin);
        if (p.cdata) {
            out += piece;
        } else if (const auto decoded = decodeReferences(piece)) {
            out += *decoded;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool isBlankText(std::string_view text) {
    for (const char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

} // namespace

std::optional<QByteArray> withDecodedReferences(std::string_view xml) {
    if (xml.find('&') == npos)
        return QByteArray(xml.data(), qsizetype(xml.size()));
    XmlReader reader(xml);
    QByteArray out;
    out.reserve(qsizetype(xml.size()));
    size_t copied = 0;
    std::vector<TextPart> parts;
    while (const auto tag = reader.nextTag()) {
        if (tag->closing || tag->empty || !isTextElement(tag->name))
            continue;
        if (!reader.readText(tag->name, parts))
            return std::nullopt;
        // Only strings and keys have their references decoded.
        if (tag->name != "string" && tag->name != "key")
            continue;
        for (const TextPart &p : parts) {
            const std::string_view piece = xml.substr(p.begin, p.end - p.begin);
            if (p.cdata || piece.find('&') == npos)
                continue;
            const auto decoded = decodeReferences(piece);
            if (!decoded)
                return std::nullopt;
            out.append(xml.data() + copied, qsizetype(p.begin - copied));
            appendCdata(out, *decoded);
            copied = p.end;
        }
    }
    if (reader.failed())
        return std::nullopt;
    out.append(xml.data() + copied, qsizetype(xml.size() - copied));
    return out;
}

std::optional<QByteArray> withoutArrayItems(std::string_view xml, std::string_view key,
                                            const std::vector<std::uint32_t> &indices) {
    struct Frame {
        bool dict;
        bool target;
    };
    struct Range {
        size_t start;
        size_t end;
    };
    XmlReader reader(xml);
    std::vector<Frame> open;
    std::vector<TextPart> parts;
    std::vector<Range> items;
    size_t arrayContentStart = npos; // just past the target array's opening tag
    int matches = 0;
    bool keyMatched = false;  // the top dictionary's last key was `key`
    bool expectValue = false; // in the top dictionary, a key was read and its value is next

    while (const auto tag = reader.nextTag()) {
        if (tag->name == "plist")
            continue;
        const bool container = tag->name == "dict" || tag->name == "array";
        if (tag->closing) {
            if (!container || open.empty() || open.back().dict != (tag->name == "dict"))
                return std::nullopt;
            open.pop_back();
            if (open.size() == 2 && open.back().target)
                items.back().end = reader.pos();
            continue;
        }
        if (!container && !isTextElement(tag->name))
            return std::nullopt;
        const bool inTopDict = open.size() == 1 && open.front().dict;
        if (inTopDict && tag->name == "key" && !expectValue) {
            if (tag->empty) {
                keyMatched = key.empty();
            } else {
                if (!reader.readText(tag->name, parts))
                    return std::nullopt;
                const auto text = textOf(xml, parts);
                if (!text)
                    return std::nullopt;
                keyMatched = *text == key;
            }
            expectValue = true;
            continue;
        }
        const bool isTarget = inTopDict && keyMatched;
        if (inTopDict) {
            if (!expectValue)
                return std::nullopt;
            expectValue = false;
            keyMatched = false;
        }
        if (isTarget) {
            if (tag->name != "array" || ++matches > 1)
                return std::nullopt;
            arrayContentStart = reader.pos();
        }
        const bool item = open.size() == 2 && open.back().target;
        if (item)
            items.push_back({tag->start, npos});
        if (container && !tag->empty) {
            open.push_back({tag->name == "dict", isTarget});
            continue;
        }
        if (!tag->empty && !reader.readText(tag->name, parts))
            return std::nullopt;
        if (item)
            items.back().end = reader.pos();
    }
    if (reader.failed() || matches != 1 || !open.empty())
        return std::nullopt;

    QByteArray out;
    out.reserve(qsizetype(xml.size()));
    size_t copied = 0;
    for (const std::uint32_t index : indices) {
        if (index >= items.size() || items[index].start < copied)
            return std::nullopt;
        const size_t before = index == 0 ? arrayContentStart : items[index - 1].end;
        const size_t cut =
            before >= copied && isBlankText(xml.substr(before, items[index].start - before))
                ? before
                : items[index].start;
        out.append(xml.data() + copied, qsizetype(cut - copied));
        copied = items[index].end;
    }
    out.append(xml.data() + copied, qsizetype(xml.size() - copied));
    return out;
}

} // namespace zembra::platform
