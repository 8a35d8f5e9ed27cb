#pragma once
// Entries of a record's `files` and `sizes` lists.
//
// A `files` entry is either a file entry (a path, kept byte for byte) or a URL made from
// a bare word: a category marker of the leftover search, or the "Empty" placeholder of a
// deselected row. Like a URL, it tells them apart only by whether it is a file URL.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <variant>

namespace zembra {

class FileEntry {
public:
    static FileEntry file(std::filesystem::path path) { return FileEntry(std::move(path)); }
    static FileEntry word(QString word) { return FileEntry(std::move(word)); }

    bool isFileURL() const { return std::holds_alternative<std::filesystem::path>(m_value); }
    // The path of a file entry; empty for a word.
    const std::filesystem::path &path() const;
    // The URL's text: the word itself, or the path of a file entry.
    QString absoluteString() const;

    bool operator==(const FileEntry &other) const = default;

private:
    explicit FileEntry(std::filesystem::path p) : m_value(std::move(p)) {}
    explicit FileEntry(QString w) : m_value(std::move(w)) {}
    std::variant<std::filesystem::path, QString> m_value;
};

// A `sizes` entry: the marker word at a marker's index, a byte count at a file's.
class SizeEntry {
public:
    static SizeEntry bytes(std::uint64_t n) { return SizeEntry(n); }
    static SizeEntry marker(QString word) { return SizeEntry(std::move(word)); }

    bool isBytes() const { return std::holds_alternative<std::uint64_t>(m_value); }
    // The byte count; 0 at a marker's index.
    std::uint64_t byteCount() const { return isBytes() ? std::get<std::uint64_t>(m_value) : 0; }
    QString markerWord() const { return isBytes() ? QString() : std::get<QString>(m_value); }

    bool operator==(const SizeEntry &other) const = default;

private:
    explicit SizeEntry(std::uint64_t n) : m_value(n) {}
    explicit SizeEntry(QString w) : m_value(std::move(w)) {}
    std::variant<std::uint64_t, QString> m_value;
};

} // namespace zembra
