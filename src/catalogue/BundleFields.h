#pragma once
// The field-deriving operations shared by the application enumerator and the plug-in /
// preference pane enumerator. Despite their "set" names they store nothing: each computes
// one record field from a bundle on disk and returns it. Each URL-taking operation opens
// the bundle afresh; fill() reads it once and gives the same values.

#include "catalogue/ImageRef.h"
#include "catalogue/ItemRecord.h"
#include "platform/BundleInfo.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>

namespace zembra {

namespace fs = std::filesystem;

class BundleFields {
public:
    virtual ~BundleFields() = default;

    // The label differs between the enumerators: a whole display name, or one cut at ".".
    virtual QString setLabel(const fs::path &path) const = 0;
    OptString setLabelName(const fs::path &url) const;
    ImageRef setIcon(const fs::path &path) const;
    std::optional<ImageRef> setAppIcon(const fs::path &url) const;
    OptString setBundle(const fs::path &url) const;
    OptString setBundleName(const fs::path &url) const;
    OptString setBundleNameInfo(const fs::path &url) const;
    OptString setExecutableInfo(const fs::path &url) const;
    OptString setCompanyName(const fs::path &url) const;

    // Fills the ten identity fields of `record` from the bundle at `url`, in field order;
    // `withAppIcon` false leaves `app_icon` unset (plug-ins). `info` is the bundle as read.
    void fill(ItemRecord &record, const fs::path &url,
              const std::optional<platform::BundleInfo> &info, bool withAppIcon = true) const;

    // A new record of the bundle at `url`, filled as above.
    template <typename Record>
    std::shared_ptr<Record> makeRecord(const fs::path &url,
                                       const std::optional<platform::BundleInfo> &info,
                                       bool withAppIcon = true) const {
        auto record = std::make_shared<Record>();
        fill(*record, url, info, withAppIcon);
        return record;
    }
};

// Derivations on plain values, shared with the Safari extension enumerator.
namespace fields {
// What stands for an absent "CFBundleName" or "CFBundleExecutable".
inline const QString kPlaceholder = QStringLiteral("empty_string");
// "CFBundleName" with every blank turned into "_"; "empty_string" when absent.
QString labelName(const OptString &bundleName);
// "CFBundleName" / "CFBundleExecutable" as stored; "empty_string" when absent.
QString infoOrPlaceholder(const OptString &value);
// The last "."-separated component; nothing without an identifier.
OptString bundleName(const OptString &identifier);
// The component at index 1 when the identifier holds a "."; else the identifier.
OptString companyName(const OptString &identifier);
// The text before the first "."; the whole text when it holds none.
QString beforeFirstDot(const QString &text);
// The image file named by "CFBundleIconFile": names holding ".i" are cut at the first ".".
std::optional<ImageRef> appIcon(const std::optional<platform::BundleInfo> &info);
} // namespace fields

} // namespace zembra
