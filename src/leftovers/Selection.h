#pragma once
// What the user chose to remove from a search result: `prepare` holds the entry at a
// selected index and the "Empty" placeholder at a deselected one (markers stay as they
// are); `clean_size` is the sizes list. The total is what deleting the selection frees:
// the selected file rows, less those inside a selected folder (and second rows of one
// path), so deselecting everything gives 0 and it never wraps.
//
// Kept entries win: the list may hold a folder and entries inside it, and deleting the
// folder would take a kept entry with it. So no selected row ever holds (or is) the path
// of a deselected row: deselecting a row also deselects the other rows of its path and
// every listed folder holding it; selecting a row also selects the rows of its path and
// every row inside it. Paths are compared by whole components, byte for byte.
// Owned by one thread (the review screen's, or the command line's).

#include "catalogue/FileEntry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zembra::leftovers {

// The chosen file rows that deleting them frees by itself: each path once (its first
// row), and no row that lies inside another chosen row (its folder goes with it).
std::vector<size_t> freedRows(const std::vector<FileEntry> &files,
                              const std::function<bool(size_t)> &chosen);
// What deleting the `chosen` file rows frees: the sizes of their freedRows.
std::uint64_t freedBytes(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                         const std::function<bool(size_t)> &chosen);

class Selection {
public:
    Selection() = default;
    // Everything selected.
    Selection(std::vector<FileEntry> files, std::vector<SizeEntry> sizes);
    // Everything selected except the rows marked in `startUnticked` (and, by the rule
    // above, the folders holding them).
    Selection(std::vector<FileEntry> files, std::vector<SizeEntry> sizes,
              const std::vector<bool> &startUnticked);

    const std::vector<FileEntry> &files() const { return m_files; }
    const std::vector<FileEntry> &prepare() const { return m_prepare; }
    const std::vector<SizeEntry> &clean_size() const { return m_clean_size; }

    bool isFileRow(size_t index) const;
    bool isSelected(size_t index) const;
    // Selects or deselects a file row and the rows tied to it (see above); markers and
    // repeated calls change nothing. Afterwards any row's isSelected() may have changed:
    // a screen re-reads every row.
    void setSelected(size_t index, bool selected);
    // Keeps `path` whole: deselects its rows, every row inside it and the folders holding
    // it (the command line's --keep). Returns how many rows have that path.
    size_t deselect(const std::filesystem::path &path);
    // The deselected file rows inside the folder of row `index`: why that row is kept.
    // Empty for a row that holds no kept entry.
    std::vector<size_t> keptRowsBelow(size_t index) const;

    std::uint64_t common_remove_size() const { return m_total; }
    // At least one entry of `prepare` is a file URL: the Remove button is enabled.
    bool anySelected() const;

private:
    void setOne(size_t index, bool selected);
    void recomputeTotal();

    std::vector<FileEntry> m_files;
    std::vector<FileEntry> m_prepare;
    std::vector<SizeEntry> m_clean_size;
    std::uint64_t m_total = 0;
};

} // namespace zembra::leftovers
