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
    // A string node's value; nothing for any other type.
    std::optional<QString> string() const;
    void *raw() const { return m_node; }

private:
    void *m_node;
};

class PropertyList {
public:
    PropertyList() = default;
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
    QByteArray toXml() const;

private:
    struct Free {
        void operator()(void *node) const;
    };
    std::unique_ptr<void, Free> m_root;
};

// Reads a whole file, refusing anything over `maxBytes`; nothing on failure.
std::optional<QByteArray> readSmallFile(const std::filesystem::path &file,
                                        std::uint64_t maxBytes = 32u << 20);

// Writes `data` to a temporary file in the same folder and renames it into place.
bool writeFileAtomically(const std::filesystem::path &file, const QByteArray &data);

} // namespace zembra::platform
