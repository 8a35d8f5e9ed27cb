#pragma once
// Sorting of record lists by `label`, ascending, case-insensitive in the user's locale.
// Equal labels keep their order.

#include "platform/Text.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace zembra {

template <typename Record> void sortByLabel(std::vector<std::shared_ptr<Record>> &records) {
    const platform::LabelCollator collator;
    std::vector<std::pair<QString, std::shared_ptr<Record>>> keyed;
    keyed.reserve(records.size());
    for (auto &r : records)
        keyed.emplace_back(r->label().value_or(QString()), std::move(r));
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        return collator.compare(a.first, b.first) < 0;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        records[i] = std::move(keyed[i].second);
}

} // namespace zembra
