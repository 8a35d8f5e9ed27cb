#include "extensions/OtherApplications.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zembra {

namespace {

const QString kEmptyString = QStringLiteral("empty_string");

std::string folded(const OptString &text)
{
    return text && *text != kEmptyString ? platform::foldForMatch(*text) : std::string();
}

} // namespace

OtherApplications::OtherApplications(const std::vector<ApplicationIdentity> &applications)
{
    m_applications.reserve(applications.size());
    for (const ApplicationIdentity &a : applications)
        m_applications.push_back({folded(a.identifier), folded(a.label), folded(a.bundleName)});
}

OtherApplications OtherApplications::installed(platform::SettingsStore &settings)
{
    return OtherApplications(identities(Application(settings).installedApplications()));
}

std::vector<ApplicationIdentity> OtherApplications::identities(const ApplicationList &applications)
{
    std::vector<ApplicationIdentity> out;
    out.reserve(applications.size());
    for (const auto &app : applications)
        out.push_back({app->bundle().value_or(QString()), app->label().value_or(QString()),
                       app->bundle_name_info().value_or(QString())});
    return out;
}

bool OtherApplications::belongsToAnother(const std::filesystem::path &entry, const ItemRecord &item) const
{
    if (item.url() && entry.lexically_normal() == item.url()->lexically_normal())
        return false;
    const std::string name = platform::foldForMatch(platform::lastComponent(entry));
    const std::string own = folded(item.bundle());
    if (platform::containsFolded(name, own))
        return false;
    const std::string extension = platform::nameExtension(name);
    const std::string stem = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    for (const Folded &app : m_applications) {
        if (!app.identifier.empty() && app.identifier != own && platform::containsFolded(name, app.identifier))
            return true;
        for (const std::string *word : {&app.label, &app.bundleName})
            if (!word->empty() && (name == *word || stem == *word))
                return true;
    }
    return false;
}

} // namespace zembra
