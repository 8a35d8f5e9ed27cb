#include "catalogue/ItemRecord.h"

namespace zembra {

ItemRecord::ItemRecord(const ItemRecord &other) {
    copyFrom(other);
}

ItemRecord &ItemRecord::operator=(const ItemRecord &other) {
    if (this != &other)
        copyFrom(other);
    return *this;
}

void ItemRecord::copyFrom(const ItemRecord &other) {
    std::scoped_lock lock(m_mutex, other.m_mutex);
    m_label = other.m_label;
    m_label_name = other.m_label_name;
    m_url = other.m_url;
    m_icon = other.m_icon;
    m_app_icon = other.m_app_icon;
    m_bundle = other.m_bundle;
    m_bundle_name = other.m_bundle_name;
    m_bundle_name_info = other.m_bundle_name_info;
    m_executable_info = other.m_executable_info;
    m_company_name = other.m_company_name;
    m_files = other.m_files;
    m_sizes = other.m_sizes;
    m_weakRows = other.m_weakRows;
}

std::vector<FileEntry> ItemRecord::files() const {
    std::lock_guard lock(m_mutex);
    return m_files;
}

void ItemRecord::setFiles(std::vector<FileEntry> value) {
    std::lock_guard lock(m_mutex);
    m_files = std::move(value);
    m_weakRows.clear();
}

void ItemRecord::setFiles(std::vector<FileEntry> value, std::vector<bool> weakRows) {
    std::lock_guard lock(m_mutex);
    m_files = std::move(value);
    m_weakRows = std::move(weakRows);
    m_weakRows.resize(m_files.size(), false);
}

std::vector<bool> ItemRecord::weakRows() const {
    std::lock_guard lock(m_mutex);
    return m_weakRows;
}

} // namespace zembra
