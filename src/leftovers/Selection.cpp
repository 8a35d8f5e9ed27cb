#include "leftovers/Selection.h"

#include "leftovers/LeftoverKeys.h"

#include <string_view>
#include <unordered_set>

namespace zembra::leftovers {

namespace {

// `path` lies strictly inside `folder`: whole components, byte for byte.
bool holds(const std::string &folder, const std::string &path) {
    return !folder.empty() && path.size() > folder.size() &&
           path.compare(0, folder.size(), folder) == 0 &&
           (path[folder.size()] == '/' || folder.back() == '/');
}

} // namespace

std::vector<size_t> freedRows(const std::vector<FileEntry> &files,
                              const std::function<bool(size_t)> &chosen) {
    std::unordered_set<std::string_view> paths;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL() && chosen(i))
            paths.insert(files[i].path().native());
    std::vector<size_t> rows;
    std::unordered_set<std::string_view> counted;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].isFileURL() || !chosen(i))
            continue;
        const std::string_view path = files[i].path().native();
        if (!counted.insert(path).second)
            continue;
        bool insideChosen = false;
        for (size_t slash = path.find('/', 1); slash != std::string_view::npos && !insideChosen;
             slash = path.find('/', slash + 1))
            insideChosen = paths.count(path.substr(0, slash)) != 0;
        if (!insideChosen)
            rows.push_back(i);
    }
    return rows;
}

std::uint64_t freedBytes(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                         const std::function<bool(size_t)> &chosen) {
    std::uint64_t total = 0;
    for (const size_t i : freedRows(files, chosen))
        if (i < sizes.size())
            total += sizes[i].byteCount();
    return total;
}

Selection::Selection(std::vector<FileEntry> files, std::vector<SizeEntry> sizes)
    : m_files(std::move(files)), m_prepare(m_files), m_clean_size(std::move(sizes)) {
    m_clean_size.resize(m_files.size(), SizeEntry::bytes(0));
    recomputeTotal();
}

Selection::Selection(std::vector<FileEntry> files, std::vector<SizeEntry> sizes,
                     const std::vector<bool> &startUnticked)
    : Selection(std::move(files), std::move(sizes)) {
    for (size_t i = 0; i < startUnticked.size() && i < m_files.size(); ++i)
        if (startUnticked[i])
            setSelected(i, false);
}

bool Selection::isFileRow(size_t index) const {
    return index < m_files.size() && m_files[index].isFileURL();
}

bool Selection::isSelected(size_t index) const {
    return isFileRow(index) && m_prepare[index].isFileURL();
}

void Selection::setSelected(size_t index, bool selected) {
    if (!isFileRow(index))
        return;
    const std::string &path = m_files[index].path().native();
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!isFileRow(i))
            continue;
        const std::string &other = m_files[i].path().native();
        if (other == path || (selected ? holds(path, other) : holds(other, path)))
            setOne(i, selected);
    }
    recomputeTotal();
}

void Selection::recomputeTotal() {
    m_total = freedBytes(m_files, m_clean_size, [this](size_t i) { return isSelected(i); });
}

std::vector<size_t> Selection::keptRowsBelow(size_t index) const {
    std::vector<size_t> rows;
    if (!isFileRow(index))
        return rows;
    const std::string &folder = m_files[index].path().native();
    for (size_t i = 0; i < m_files.size(); ++i)
        if (isFileRow(i) && !isSelected(i) && holds(folder, m_files[i].path().native()))
            rows.push_back(i);
    return rows;
}

void Selection::setOne(size_t index, bool selected) {
    if (isSelected(index) == selected)
        return;
    m_prepare[index] = selected ? m_files[index] : FileEntry::word(kEmpty);
}

size_t Selection::deselect(const std::filesystem::path &path) {
    size_t rows = 0;
    for (size_t i = 0; i < m_files.size(); ++i)
        if (isFileRow(i) && m_files[i].path() == path) {
            setSelected(i, false);
            ++rows;
        }
    for (size_t i = 0; rows && i < m_files.size(); ++i)
        if (isFileRow(i) && holds(path.native(), m_files[i].path().native()))
            setOne(i, false);
    recomputeTotal();
    return rows;
}

bool Selection::anySelected() const {
    for (const FileEntry &e : m_prepare)
        if (e.isFileURL())
            return true;
    return false;
}

} // namespace zembra::leftovers
