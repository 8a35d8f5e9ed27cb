#include "platform/PropertyList.h"

#include "platform/FolderHandle.h"
#include "platform/PropertyListScan.h"
#include "platform/PropertyListXml.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

#include <plist/plist.h>

#include <string_view>

namespace zembra::platform {

namespace {

bool isXmlChar(char32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Every date reads YYYY-MM-DDTHH:MM:SSZ.
bool datesAreWellFormed(std::string_view xml) {
    static constexpr std::string_view kOpen = "<date>";
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ</date>";
    for (size_t at = xml.find(kOpen); at != std::string_view::npos; at = xml.find(kOpen, at + 1)) {
        const std::string_view value = xml.substr(at + kOpen.size(), kShape.size());
        if (value.size() != kShape.size())
            return false;
        for (size_t k = 0; k < kShape.size(); ++k)
            if (kShape[k] == 'd' ? (value[k] < '0' || value[k] > '9') : value[k] != kShape[k])
                return false;
    }
    return true;
}

// What libplist's XML writer produced is well-formed XML as far as it can go wrong: valid
// UTF-8 of characters XML allows, and dates in their one form.
bool isWellFormedXmlOutput(std::string_view xml) {
    for (size_t i = 0; i < xml.size();) {
        char32_t cp;
        const size_t length = decodeUtf8Sequence(xml, i, cp);
        if (length == 0 || !isXmlChar(cp))
            return false;
        i += length;
    }
    return datesAreWellFormed(xml);
}

} // namespace

bool PlistNode::isDictionary() const {
    return m_node && plist_get_node_type(plist_t(m_node)) == PLIST_DICT;
}

bool PlistNode::isArray() const {
    return m_node && plist_get_node_type(plist_t(m_node)) == PLIST_ARRAY;
}

PlistNode PlistNode::item(const char *key) const {
    if (!isDictionary())
        return PlistNode();
    return PlistNode(plist_dict_get_item(plist_t(m_node), key));
}

std::uint32_t PlistNode::count() const {
    return isArray() ? plist_array_get_size(plist_t(m_node)) : 0;
}

PlistNode PlistNode::at(std::uint32_t index) const {
    if (index >= count())
        return PlistNode();
    return PlistNode(plist_array_get_item(plist_t(m_node), index));
}

std::optional<QString> PlistNode::string() const {
    if (!m_node || plist_get_node_type(plist_t(m_node)) != PLIST_STRING)
        return std::nullopt;
    // By pointer and length: plist_get_string_val() asserts on a string holding a NUL,
    // which malformed binary input can carry.
    std::uint64_t length = 0;
    const char *value = plist_get_string_ptr(plist_t(m_node), &length);
    if (!value || length > std::uint64_t(INT32_MAX))
        return std::nullopt;
    return decodeUtf8(std::string_view(value, size_t(length)));
}

void PropertyList::Free::operator()(void *node) const {
    plist_free(plist_t(node));
}

PropertyList PropertyList::fromMemory(const QByteArray &data) {
    PropertyList list;
    const std::string_view bytes(data.constData(), size_t(data.size()));
    if (data.isEmpty() || !isWithinPropertyListBounds(bytes))
        return list;
    const bool binary = plist_is_binary(data.constData(), uint32_t(data.size()));
    // libplist decodes character references in quadratic time: hand it decoded text.
    const std::optional<QByteArray> text =
        binary ? std::optional<QByteArray>(data) : withDecodedReferences(bytes);
    if (!text)
        return list;
    plist_t root = nullptr;
    plist_from_memory(text->constData(), uint32_t(text->size()), &root);
    list.m_root.reset(root);
    list.m_format = binary ? Format::Binary : Format::Xml;
    return list;
}

PropertyList PropertyList::fromFile(const std::filesystem::path &file) {
    const std::optional<QByteArray> data = readSmallFile(file, kMaxPropertyListBytes);
    return data ? fromMemory(*data) : PropertyList();
}

PropertyList PropertyList::adopt(void *node) {
    PropertyList list;
    list.m_root.reset(node);
    return list;
}

bool PropertyList::setArray(const char *key, const std::vector<PlistNode> &items) {
    if (!root().isDictionary())
        return false;
    plist_t array = plist_new_array();
    for (const PlistNode &n : items)
        plist_array_append_item(array, plist_copy(plist_t(n.raw())));
    plist_dict_set_item(plist_t(m_root.get()), key, array);
    return true;
}

QByteArray PropertyList::toBinary() const {
    if (!m_root)
        return {};
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(plist_t(m_root.get()), &bin, &length);
    if (!bin)
        return {};
    QByteArray out(bin, qsizetype(length));
    plist_to_bin_free(bin);
    return out;
}

QByteArray PropertyList::serialize() const {
    if (m_format == Format::Binary)
        return toBinary();
    QByteArray xml = toXml();
    if (!isWellFormedXmlOutput(std::string_view(xml.constData(), size_t(xml.size()))))
        return {};
    return xml;
}

bool PropertyList::sameContent(const PropertyList &other) const {
    const QByteArray mine = toBinary();
    return !mine.isEmpty() && mine == other.toBinary();
}

QByteArray PropertyList::toXml() const {
    if (!m_root)
        return {};
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(plist_t(m_root.get()), &xml, &length);
    if (!xml)
        return {};
    QByteArray out(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return out;
}

} // namespace zembra::platform
