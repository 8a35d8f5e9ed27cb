#pragma once
// A small RAII layer over libplist's C API. The C API reads XML and binary property
// lists and reports malformed input as "no value"; its C++ wrapper throws or aborts on
// some inputs, so we never use it. Keys are looked up one by one, never iterated: key
// iteration asserts on malformed binary keys.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace zembra::platform {

// A non-owning view of one node of a PropertyList; valid while the list lives.
class PlistNode {
public:
    explicit PlistNode(void *node = nullptr) : m_node(node) {}
    bool isNull() const { return m_node == nullptr; }
    bool isDictionary() const;
    bool isArray() const;
    // The value under `key` of a dictionary; null for anything else.
    PlistNode item(const char *key) const;
    // Array access; 0 and null for anything but an array.
    std::uint32_t count() const;
    PlistNode at(std::uint32_t index) const;
    // A string node's value, every character kept (a leading U+FEFF too); nothing for
    // any other type.
    std::optional<QString> string() const;
    void *raw() const { return m_node; }

private:
    void *m_node;
};

class PropertyList {
public:
    enum class Format { Xml, Binary };

    PropertyList() = default;
    // Nothing for malformed data, and for data beyond the bounds of PropertyListScan.h
    // (too large, too deep, too many values), which libplist is never given.
    static PropertyList fromMemory(const QByteArray &data);
    // Nothing for a missing, unreadable or oversized file.
    static PropertyList fromFile(const std::filesystem::path &file);
    // Takes ownership of a node made with libplist (plist_new_*, plist_copy).
    static PropertyList adopt(void *node);

    bool isValid() const { return bool(m_root); }
    PlistNode root() const { return PlistNode(m_root.get()); }
    // Sets `key` of the root dictionary to a new array holding copies of `items`
    // (nodes of this list), in order. False when the root is not a dictionary.
    bool setArray(const char *key, const std::vector<PlistNode> &items);
    // The format the list was read in; XML for a list made in memory.
    Format format() const { return m_format; }
    QByteArray toXml() const;
    QByteArray toBinary() const;
    // The list in the format it was read in. Empty when the XML form would not be
    // well-formed (libplist writes control characters raw, and years before 1000 with
    // fewer than four digits), so that no strict reader is handed a list it rejects.
    QByteArray serialize() const;
    // Both lists hold the same values, in the same order (the binary form says all).
    bool sameContent(const PropertyList &other) const;

private:
    struct Free {
        void operator()(void *node) const;
    };
    std::unique_ptr<void, Free> m_root;
    Format m_format = Format::Xml;
};

} // namespace zembra::platform
