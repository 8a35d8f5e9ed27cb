#pragma once
// Stand-in for NSBundle: the information dictionary of a bundle and its image resources.
// A path is a bundle when it is itself a real folder (not a link) and
// Contents/Info.plist reads as a dictionary. A value that is not a string is absent.

#include <QString>

#include <filesystem>
#include <optional>

namespace zembra::platform {

class BundleInfo {
public:
    static std::optional<BundleInfo> read(const std::filesystem::path &bundle);

    const std::optional<QString> &identifier() const { return m_identifier; }
    const std::optional<QString> &name() const { return m_name; }             // CFBundleName
    const std::optional<QString> &executable() const { return m_executable; } // CFBundleExecutable
    const std::optional<QString> &iconFile() const { return m_iconFile; }     // CFBundleIconFile

    // The file of the image resource `resource` in Contents/Resources, the name given with
    // or without its extension; nothing when there is none.
    std::optional<std::filesystem::path> imageResource(const QString &resource) const;

private:
    std::filesystem::path m_bundle;
    std::optional<QString> m_identifier;
    std::optional<QString> m_name;
    std::optional<QString> m_executable;
    std::optional<QString> m_iconFile;
};

} // namespace zembra::platform
