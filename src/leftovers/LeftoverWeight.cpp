#include "leftovers/LeftoverWeight.h"

#include "leftovers/LeftoverSearch.h"
#include "platform/FileSystem.h"

namespace zembra::leftovers {

LeftoverWeight weighLeftovers(const ItemRecord &item, platform::SettingsStore &settings)
{
    ItemRecord searched(item);
    searchLeftovers(searched, settings, SearchMode::Review);
    // The bundle itself is not a leftover: it is gone, or lies in the Trash.
    const auto url = item.url();
    const auto files = searched.files();
    const auto sizes = searched.sizes();
    LeftoverWeight weight;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].isFileURL() || (url && files[i].path() == *url) || !platform::itemExists(files[i].path()))
            continue;
        ++weight.count;
        weight.bytes += i < sizes.size() ? sizes[i].byteCount() : 0;
    }
    return weight;
}

} // namespace zembra::leftovers
