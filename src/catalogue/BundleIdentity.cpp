#include "catalogue/BundleIdentity.h"

#include "catalogue/BundleFields.h"
#include "platform/BundleInfo.h"

namespace zembra {

bool isSameApplication(const ItemRecord &item, const std::filesystem::path &bundle) {
    const auto info = platform::BundleInfo::read(bundle);
    if (!info)
        return false;
    const OptString identifier = item.bundle();
    if (identifier && !identifier->isEmpty())
        return info->identifier() == identifier;
    return info->identifier() == identifier &&
           item.bundle_name_info() == fields::infoOrPlaceholder(info->name()) &&
           item.executable_info() == fields::infoOrPlaceholder(info->executable()) &&
           item.label_name() == fields::labelName(info->name());
}

} // namespace zembra
