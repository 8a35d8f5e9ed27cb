#pragma once
// Name keys the leftover search derives from a record's company and label.

#include <QString>

namespace zembra::leftovers {

// Lower case, then the first character title-cased: vendor, VENDOR and Vendor give Vendor.
QString companyCapitalized(const QString &companyName);

// The label with everything outside U+0041…U+007A removed (the six characters between
// Z and a stay); "label_name_ad_is_small" when fewer than two characters are left.
QString shortLabel(const QString &label);

} // namespace zembra::leftovers
