#include "platform/PropertyListScan.h"

#include <algorithm>
#include <vector>

namespace zembra::platform {

namespace {

constexpr size_t npos = std::string_view::npos;

// --- XML ---------------------------------------------------------------------------
// The scan reads tags the way libplist's XML reader does: comments end at the first
// "-->", CDATA at the first "]]>", while processing instructions, the document type and
// the inside of a tag end at the first terminator outside double quotes. A quoted
// section holding '<' or '>' (where a reader honouring quotes and one ignoring them
// would disagree on where the construct ends) makes the file unreadable.

bool isTagNameEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '<' || c == '>';
}

// The first of `stops` at or after `from` outside double quotes; npos when there is
// none, a quote is never closed, or a quoted section holds '<' or '>'.
size_t findOutsideQuotes(std::string_view d, size_t from, std::string_view stops) {
    for (size_t i = from; i < d.size(); ++i) {
        if (d[i] == '"') {
            const size_t close = d.find('"', i + 1);
            if (close == npos || d.substr(i + 1, close - i - 1).find_first_of("<>") != npos)
                return npos;
            i = close;
        } else if (stops.find(d[i]) != npos) {
            return i;
        }
    }
    return npos;
}

// Past the first "`before`>" at or after `from` outside double quotes; npos when none.
size_t pastClosing(std::string_view d, size_t from, char before) {
    for (size_t gt = findOutsideQuotes(d, from, ">"); gt != npos;
         gt = findOutsideQuotes(d, gt + 1, ">"))
        if (gt > from && d[gt - 1] == before)
            return gt + 1;
    return npos;
}

size_t pastText(std::string_view d, size_t from, std::string_view terminator) {
    const size_t at = d.find(terminator, from);
    return at == npos ? npos : at + terminator.size();
}

bool xmlWithinBounds(std::string_view d) {
    if (d.find('\0') != npos) // libplist compares tag names as C strings
        return false;
    int depth = 0;
    std::uint64_t values = 0;
    size_t next = 0;
    for (size_t lt = d.find('<'); lt != npos; lt = d.find('<', next)) {
        const std::string_view rest = d.substr(lt);
        if (rest.substr(0, 4) == "<!--") {
            next = pastText(d, lt + 4, "-->");
        } else if (rest.substr(0, 9) == "<![CDATA[") {
            next = pastText(d, lt + 9, "]]>");
        } else if (rest.substr(0, 2) == "<?") {
            next = pastClosing(d, lt + 2, '?');
        } else if (rest.substr(0, 9) == "<!DOCTYPE") {
            const size_t stop = findOutsideQuotes(d, lt + 9, "[>");
            if (stop == npos)
                return false;
            next = d[stop] == '>' ? stop + 1 : pastClosing(d, stop + 1, ']');
        } else if (rest.substr(0, 2) == "<!") {
            return false; // libplist reads nothing else of this kind
        } else {
            const size_t nameStart = lt + 1;
            size_t end = nameStart;
            while (end < d.size() && !isTagNameEnd(d[end]))
                ++end;
            std::string_view name = d.substr(nameStart, end - nameStart);
            if (end < d.size() && d[end] != '>')
                end = findOutsideQuotes(d, end, "<>");
            if (end == npos || end >= d.size() || d[end] != '>')
                return false;
            const bool empty = d[end - 1] == '/';
            if (empty && end - 1 - nameStart < name.size())
                name = name.substr(0, end - 1 - nameStart);
            next = end + 1;
            if (name == "/dict" || name == "/array") {
                if (--depth < 0)
                    return false;
            } else if (!name.empty() && name.front() != '/' && name != "plist") {
                if (++values > kMaxPropertyListValues)
                    return false;
                if ((name == "dict" || name == "array") && !empty &&
                    ++depth > kMaxPropertyListDepth)
                    return false;
            }
        }
        if (next == npos)
            return false;
    }
    return true;
}

// --- Binary --------------------------------------------------------------------------
// Objects are reached through the offset table; containers hold references (object
// numbers). The walk keeps its own stack of open containers, never deeper than the
// bound, and remembers the height and expanded size of every finished object, so that
// shared references cost nothing more and a cycle shows as an object met again while
// it is still open.

std::uint64_t bigEndian(const unsigned char *p, unsigned bytes) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

class BinaryScan {
public:
    explicit BinaryScan(std::string_view d)
        : m_data(reinterpret_cast<const unsigned char *>(d.data())), m_size(d.size()) {}

    bool withinBounds();

private:
    struct Container {
        std::uint64_t object;
        size_t refs;         // position of the first reference
        std::uint64_t count; // references in all
        std::uint64_t next = 0;
        int height = 0;
        std::uint64_t values = 1;
    };
    enum State : unsigned char { Unseen, Open, Done };

    // Reads object `index`'s header: false when it is malformed. Sets `container`
    // with its references for a dictionary, array or set.
    bool readObject(std::uint64_t index, bool &isContainer, Container &container) const;

    const unsigned char *m_data;
    size_t m_size;
    unsigned m_offsetSize = 0;
    unsigned m_refSize = 0;
    std::uint64_t m_objects = 0;
    std::uint64_t m_tableOffset = 0;
};

bool BinaryScan::readObject(std::uint64_t index, bool &isContainer, Container &c) const {
    const std::uint64_t offset =
        bigEndian(m_data + m_tableOffset + index * m_offsetSize, m_offsetSize);
    if (offset < 8 || offset >= m_tableOffset)
        return false;
    const unsigned char marker = m_data[offset];
    const unsigned type = marker >> 4;
    isContainer = type == 0xA || type == 0xB || type == 0xC || type == 0xD;
    if (!isContainer)
        return true;
    std::uint64_t count = marker & 0x0F;
    std::uint64_t pos = offset + 1;
    if (count == 0x0F) {
        if (pos >= m_tableOffset || (m_data[pos] >> 4) != 0x1 || (m_data[pos] & 0x0F) > 3)
            return false;
        const unsigned bytes = 1u << (m_data[pos] & 0x0F);
        if (pos + 1 + bytes > m_tableOffset)
            return false;
        count = bigEndian(m_data + pos + 1, bytes);
        pos += 1 + bytes;
    }
    if (type == 0xD) {
        if (count > (m_tableOffset - pos) / 2)
            return false;
        count *= 2; // keys, then values
    }
    if (count > (m_tableOffset - pos) / m_refSize)
        return false;
    c.object = index;
    c.refs = size_t(pos);
    c.count = count;
    return true;
}

bool BinaryScan::withinBounds() {
    if (m_size < 8 + 1 + 32)
        return false;
    const unsigned char *trailer = m_data + m_size - 32;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    m_objects = bigEndian(trailer + 8, 8);
    const std::uint64_t root = bigEndian(trailer + 16, 8);
    m_tableOffset = bigEndian(trailer + 24, 8);
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || m_objects == 0 ||
        m_objects > kMaxPropertyListValues || root >= m_objects || m_tableOffset < 9 ||
        m_tableOffset > m_size - 32 || m_objects * m_offsetSize > m_size - 32 - m_tableOffset)
        return false;

    std::vector<State> state(size_t(m_objects), Unseen);
    std::vector<unsigned char> height(size_t(m_objects), 0);
    std::vector<std::uint32_t> values(size_t(m_objects), 0);
    std::vector<Container> open;

    bool isContainer = false;
    Container first;
    if (!readObject(root, isContainer, first))
        return false;
    if (!isContainer)
        return true;
    state[size_t(root)] = Open;
    open.push_back(first);
    while (!open.empty()) {
        Container &top = open.back();
        if (top.next == top.count) {
            const Container done = top;
            open.pop_back();
            state[size_t(done.object)] = Done;
            height[size_t(done.object)] = static_cast<unsigned char>(done.height + 1);
            values[size_t(done.object)] = std::uint32_t(done.values);
            if (!open.empty()) {
                open.back().height = std::max(open.back().height, done.height + 1);
                open.back().values += done.values;
                if (open.back().values > kMaxPropertyListValues)
                    return false;
            }
            continue;
        }
        const std::uint64_t child = bigEndian(m_data + top.refs + top.next * m_refSize, m_refSize);
        ++top.next;
        if (child >= m_objects || state[size_t(child)] == Open)
            return false; // out of range, or a cycle
        if (state[size_t(child)] == Done) {
            top.height = std::max<int>(top.height, height[size_t(child)]);
            top.values += values[size_t(child)];
            if (top.values > kMaxPropertyListValues)
                return false;
            continue;
        }
        Container inner;
        if (!readObject(child, isContainer, inner))
            return false;
        if (!isContainer) {
            state[size_t(child)] = Done;
            values[size_t(child)] = 1;
            top.values += 1;
            if (top.values > kMaxPropertyListValues)
                return false;
            continue;
        }
        if (int(open.size()) >= kMaxPropertyListDepth)
            return false;
        state[size_t(child)] = Open;
        open.push_back(inner); // invalidates `top`
    }
    return true;
}

} // namespace

bool isWithinPropertyListBounds(std::string_view data) {
    if (data.size() > kMaxPropertyListBytes)
        return false;
    // libplist takes a list that starts so for binary, anything else for XML.
    if (data.substr(0, 8) == "bplist00")
        return BinaryScan(data).withinBounds();
    return xmlWithinBounds(data);
}

} // namespace zembra::platform
