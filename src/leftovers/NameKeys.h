#pragma once
// Name keys the leftover search derives from a record's company and label.

#include <QString>

#include <cstddef>
#include <string_view>

namespace zembra::leftovers {

// Lower case, then the first character title-cased: vendor, VENDOR and Vendor give Vendor.
QString companyCapitalized(const QString &companyName);

// The label with everything outside U+0041…U+007A removed (the six characters between
// Z and a stay); "label_name_ad_is_small" when fewer than two characters are left.
QString shortLabel(const QString &label);

// A key too common to tie an entry to one item: trimmed, shorter than three characters,
// without an ASCII letter, or a word every vendor uses ("com", "app", "helper", ...).
// What only weak keys found starts unticked, and removals without review keep it.
bool isWeakKey(const QString &key);

// Length of a team-ID prefix at the start of `name` ("7Y3Q5XK2.Product" gives 8), 0 when
// there is none: 6 to 10 upper-case letters and digits, followed by "." and more. Shorter
// than ten it must hold a digit, so an upper-case word ("NOTES.app") is not taken for one.
size_t teamIdPrefixLength(std::string_view name);

} // namespace zembra::leftovers
