#include "platform/FileSystem.h"

#include "platform/Text.h"

#include <array>

namespace zembra::platform {

bool isPackageExtension(std::string_view extension) {
    static constexpr std::array<std::string_view, 16> kPackages = {
        "app",        "appex",         "bundle", "component", "framework",   "kext",
        "mdimporter", "photoslibrary", "plugin", "prefPane",  "qlgenerator", "rtfd",
        "saver",      "webplugin",     "wdgt",   "xpc"};
    for (std::string_view p : kPackages)
        if (p == extension)
            return true;
    return false;
}

std::string nameExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return std::string(name.substr(dot + 1));
}

QString pathExtension(const fs::path &path) {
    const std::string ext = nameExtension(path.filename().native());
    return decodeUtf8(ext);
}

QString lastComponent(const fs::path &path) {
    fs::path p = path;
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path())
        p = p.parent_path();
    const std::string n = p == p.root_path() ? p.native() : p.filename().native();
    return decodeUtf8(n);
}

QString displayName(const fs::path &path) {
    QString name = lastComponent(path);
    if (name.endsWith(QLatin1String(".app")) && name.size() > 4)
        name.chop(4);
    return name;
}

QString displayPath(const fs::path &path) {
    const std::string &n = path.native();
    return decodeUtf8(n);
}

fs::path pathFromText(const QString &text) {
    return fs::path(text.toStdString());
}

fs::path absolutePath(const fs::path &path) {
    if (path.empty())
        return path;
    std::error_code ec;
    fs::path abs = path.is_absolute() ? path : fs::absolute(path, ec);
    if (ec)
        abs = path;
    fs::path normal = abs.lexically_normal();
    // Keep "/a/b" rather than "/a/b/": a trailing separator has no filename.
    if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path())
        normal = normal.parent_path();
    return normal;
}

bool isWithin(const fs::path &path, const fs::path &folder, bool orSelf) {
    auto p = path.begin();
    for (const auto &component : folder) {
        if (component.empty()) // a trailing separator
            continue;
        if (p == path.end() || *p != component)
            return false;
        ++p;
    }
    while (p != path.end() && p->empty())
        ++p;
    return p != path.end() || orSelf;
}

} // namespace zembra::platform
