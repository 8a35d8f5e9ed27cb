#include "shell/SharedState.h"

#include <algorithm>

namespace zembra {

std::shared_ptr<ApplicationItem> SharedState::item() const {
    std::lock_guard lock(m_mutex);
    return m_item;
}

void SharedState::setItem(std::shared_ptr<ApplicationItem> item) {
    std::lock_guard lock(m_mutex);
    m_item = std::move(item);
}

std::uint64_t SharedState::common_remove_size() const {
    std::lock_guard lock(m_mutex);
    return m_common_remove_size;
}

void SharedState::setCommon_remove_size(std::uint64_t size) {
    std::lock_guard lock(m_mutex);
    m_common_remove_size = size;
}

std::vector<FileEntry> SharedState::remainder_urls() const {
    std::lock_guard lock(m_mutex);
    return m_remainder_urls;
}

void SharedState::setRemainder_urls(std::vector<FileEntry> urls) {
    std::lock_guard lock(m_mutex);
    m_remainder_urls = std::move(urls);
}

leftovers::RemovalOutcome SharedState::last_removal() const {
    std::lock_guard lock(m_mutex);
    return m_last_removal;
}

void SharedState::setLast_removal(leftovers::RemovalOutcome outcome) {
    std::lock_guard lock(m_mutex);
    m_last_removal = std::move(outcome);
}

std::vector<std::filesystem::path> SharedState::granted_items() const {
    std::lock_guard lock(m_mutex);
    return m_granted_items;
}

void SharedState::grantItem(const std::filesystem::path &item) {
    std::lock_guard lock(m_mutex);
    if (std::find(m_granted_items.begin(), m_granted_items.end(), item) == m_granted_items.end())
        m_granted_items.push_back(item);
}

} // namespace zembra
