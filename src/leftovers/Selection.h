#pragma once
// What the user chose to remove from a search result: `prepare` holds the entry at a
// selected index and the "Empty" placeholder at a deselected one (markers stay as they
// are); `clean_size` is the sizes list. The total is the sum of the selected file rows,
// each index counted once, so deselecting everything gives 0 and it never wraps.
// Owned by one thread (the review screen's, or the command line's).

#include "catalogue/FileEntry.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zembra::leftovers {

class Selection {
public:
    Selection() = default;
    // Everything selected.
    Selection(std::vector<FileEntry> files, std::vector<SizeEntry> sizes);

    const std::vector<FileEntry> &files() const { return m_files; }
    const std::vector<FileEntry> &prepare() const { return m_prepare; }
    const std::vector<SizeEntry> &clean_size() const { return m_clean_size; }

    bool isFileRow(size_t index) const;
    bool isSelected(size_t index) const;
    // Selects or deselects a file row; markers and repeated calls change nothing.
    void setSelected(size_t index, bool selected);
    // Deselects every row of `path`; returns how many rows that was.
    size_t deselect(const std::filesystem::path &path);

    std::uint64_t common_remove_size() const { return m_total; }
    // At least one entry of `prepare` is a file URL: the Remove button is enabled.
    bool anySelected() const;

private:
    std::vector<FileEntry> m_files;
    std::vector<FileEntry> m_prepare;
    std::vector<SizeEntry> m_clean_size;
    std::uint64_t m_total = 0;
};

} // namespace zembra::leftovers
