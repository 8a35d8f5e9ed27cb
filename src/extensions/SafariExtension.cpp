#include "extensions/SafariExtension.h"

#include "catalogue/BundleFields.h"
#include "catalogue/SortByLabel.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"

namespace zembra {

QString SafariExtension::setLabel(const QString &archiveFileName) const {
    return fields::beforeFirstDot(archiveFileName);
}

OptString SafariExtension::setBundleName(const OptString &identifier) const {
    return fields::bundleName(identifier);
}

OptString SafariExtension::setCompanyName(const OptString &identifier) const {
    return fields::companyName(identifier);
}

SafariList SafariExtension::extensionsInListOrder() const {
    SafariList result;
    const auto home = grants::GrantStore(m_settings).resolve(grants::kHome).folder;
    if (!home)
        return result;
    for (const safari::ListEntry &entry :
         safari::readInstalledExtensions(safari::extensionsList(*home))) {
        auto item = std::make_shared<SafariItem>();
        item->setLabel(setLabel(entry.archiveFileName));
        item->setBundle(entry.bundleIdentifier);
        item->setBundle_name(setBundleName(entry.bundleIdentifier));
        item->setCompany_name(setCompanyName(entry.bundleIdentifier));
        item->setUrl(safari::extensionsFolder(*home) / entry.archiveFileName.toStdString());
        item->setLabel_name(QString(""));
        item->setBundle_name_info(QString(""));
        item->setExecutable_info(QString(""));
        result.push_back(std::move(item));
    }
    return result;
}

SafariList SafariExtension::installedSafariExtensions() const {
    SafariList result = extensionsInListOrder();
    sortByLabel(result);
    return result;
}

} // namespace zembra
