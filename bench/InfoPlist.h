#pragma once
// The Info.plist of a generated application bundle: its identifier, its name and an
// executable of the same name; `extra` is more of the dictionary (keys and values).

#include <string>

namespace bench {

inline std::string infoPlist(const std::string &identifier, const std::string &name,
                             const std::string &extra = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>CFBundleIdentifier</key><string>" +
           identifier + "</string>\n<key>CFBundleName</key><string>" + name +
           "</string>\n<key>CFBundleExecutable</key><string>" + name + "</string>\n" + extra +
           "</dict>\n</plist>\n";
}

} // namespace bench
