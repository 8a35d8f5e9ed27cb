#pragma once
// Which entries found for a removal without review more likely belong to another
// installed application than to the item. A generic plug-in name ("Sync", "Media") also
// matches other applications' folders; such rows start unticked on the confirmation
// sheet, so nothing of another application is deleted unless the user asks for it.
//
// The rule is deliberately narrow and looks at the entry's last path component only:
// it names another application when it contains that application's bundle identifier,
// or equals (with or without its extension) its label or its bundle name; it never does
// when it contains the item's own identifier. Comparisons use the contains test's
// folding (case and diacritics ignored). Built on any thread; read-only afterwards.

#include "catalogue/Application.h"
#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace zembra {

struct ApplicationIdentity {
    QString identifier;
    QString label;
    QString bundleName; // CFBundleName
};

class OtherApplications {
public:
    explicit OtherApplications(const std::vector<ApplicationIdentity> &applications);
    // The applications of the granted Applications folder.
    static OtherApplications installed(platform::SettingsStore &settings);
    static std::vector<ApplicationIdentity> identities(const ApplicationList &applications);

    // True when `entry` names another application and not `item`; the item's own bundle
    // never does.
    bool belongsToAnother(const std::filesystem::path &entry, const ItemRecord &item) const;

private:
    struct Folded {
        std::string identifier;
        std::string label;
        std::string bundleName;
    };
    std::vector<Folded> m_applications;
};

} // namespace zembra
