#include "catalogue/BundleFields.h"

#include <QStringList>

namespace zembra {

namespace {
std::optional<platform::BundleInfo> open(const fs::path &url) {
    return platform::BundleInfo::read(url);
}

OptString value(const std::optional<platform::BundleInfo> &info,
                OptString (*get)(const platform::BundleInfo &)) {
    return info ? get(*info) : std::nullopt;
}
OptString identifierOf(const platform::BundleInfo &i) {
    return i.identifier();
}
OptString nameOf(const platform::BundleInfo &i) {
    return i.name();
}
OptString executableOf(const platform::BundleInfo &i) {
    return i.executable();
}
} // namespace

namespace fields {

QString labelName(const OptString &bundleName) {
    if (!bundleName)
        return kPlaceholder;
    QString s = *bundleName;
    return s.replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString infoOrPlaceholder(const OptString &value) {
    return value ? *value : kPlaceholder;
}

OptString bundleName(const OptString &identifier) {
    if (!identifier)
        return std::nullopt;
    const qsizetype dot = identifier->lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? *identifier : identifier->mid(dot + 1);
}

OptString companyName(const OptString &identifier) {
    if (!identifier)
        return std::nullopt;
    if (!identifier->contains(QLatin1Char('.')))
        return *identifier;
    return identifier->split(QLatin1Char('.')).at(1);
}

QString beforeFirstDot(const QString &text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? text : text.left(dot);
}

std::optional<ImageRef> appIcon(const std::optional<platform::BundleInfo> &info) {
    if (!info || !info->iconFile())
        return std::nullopt;
    QString name = *info->iconFile();
    if (name.contains(QLatin1String(".i")))
        name = beforeFirstDot(name);
    const auto file = info->imageResource(name);
    if (!file)
        return std::nullopt;
    return ImageRef::imageFile(*file);
}

} // namespace fields

OptString BundleFields::setLabelName(const fs::path &url) const {
    return fields::labelName(value(open(url), nameOf));
}

ImageRef BundleFields::setIcon(const fs::path &path) const {
    return ImageRef::workspaceIcon(path);
}

std::optional<ImageRef> BundleFields::setAppIcon(const fs::path &url) const {
    return fields::appIcon(open(url));
}

OptString BundleFields::setBundle(const fs::path &url) const {
    return value(open(url), identifierOf);
}

OptString BundleFields::setBundleName(const fs::path &url) const {
    return fields::bundleName(value(open(url), identifierOf));
}

OptString BundleFields::setBundleNameInfo(const fs::path &url) const {
    return fields::infoOrPlaceholder(value(open(url), nameOf));
}

OptString BundleFields::setExecutableInfo(const fs::path &url) const {
    return fields::infoOrPlaceholder(value(open(url), executableOf));
}

OptString BundleFields::setCompanyName(const fs::path &url) const {
    return fields::companyName(value(open(url), identifierOf));
}

void BundleFields::fill(ItemRecord &record, const fs::path &url,
                        const std::optional<platform::BundleInfo> &info, bool withAppIcon) const {
    const OptString identifier = value(info, identifierOf);
    record.setLabel(setLabel(url));
    record.setLabel_name(fields::labelName(value(info, nameOf)));
    record.setUrl(url);
    record.setIcon(setIcon(url));
    if (withAppIcon)
        record.setApp_icon(fields::appIcon(info));
    record.setBundle(identifier);
    record.setBundle_name(fields::bundleName(identifier));
    record.setBundle_name_info(fields::infoOrPlaceholder(value(info, nameOf)));
    record.setExecutable_info(fields::infoOrPlaceholder(value(info, executableOf)));
    record.setCompany_name(fields::companyName(identifier));
}

} // namespace zembra
