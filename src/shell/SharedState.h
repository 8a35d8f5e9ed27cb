#pragma once
// What one screen hands to the next: the item under review, the byte total chosen for
// removal, what the last removal could not delete, and what it did (for its outcome). In memory
// only. Each field is read or replaced whole under a lock: extension removals replace
// `remainder_urls` from a worker while the GUI thread polls.

#include "catalogue/ItemRecord.h"
#include "leftovers/Removal.h"

#include <cstdint>
#include <filesystem>
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

    // The last removal of an application: what became of its bundle, how many entries
    // went, whether it was stopped. Written with the two fields above.
    leftovers::RemovalOutcome last_removal() const;
    void setLast_removal(leftovers::RemovalOutcome outcome);

    // The items granted by themselves in this run (a bundle dropped on the window): a
    // removal's scope takes them in beside the folder grants.
    std::vector<std::filesystem::path> granted_items() const;
    void grantItem(const std::filesystem::path &item);

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<ApplicationItem> m_item;
    std::uint64_t m_common_remove_size = 0;
    std::vector<FileEntry> m_remainder_urls;
    leftovers::RemovalOutcome m_last_removal;
    std::vector<std::filesystem::path> m_granted_items;
};

} // namespace zembra
