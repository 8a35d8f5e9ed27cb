#pragma once
// What one screen hands to the next: the item under review, the byte total chosen for
// removal, and what the last removal could not delete. In memory only. Each field is
// read or replaced whole under a lock: extension removals replace `remainder_urls` from
// a worker while the GUI thread polls.

#include "catalogue/ItemRecord.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zembra {

class SharedState {
public:
    std::shared_ptr<ApplicationItem> item() const;
    void setItem(std::shared_ptr<ApplicationItem> item);

    std::uint64_t common_remove_size() const;
    void setCommon_remove_size(std::uint64_t size);

    std::vector<FileEntry> remainder_urls() const;
    void setRemainder_urls(std::vector<FileEntry> urls);

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<ApplicationItem> m_item;
    std::uint64_t m_common_remove_size = 0;
    std::vector<FileEntry> m_remainder_urls;
};

} // namespace zembra
