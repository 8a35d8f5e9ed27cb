#pragma once
// Stand-in for the workspace's list of running applications, and the user's login name.

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace zembra::platform {

struct RunningApplication {
    long pid = 0;
    std::filesystem::path executable;        // empty when the OS does not tell
    std::optional<QString> bundleIdentifier; // of the bundle the executable lies in
};

// Every process of the current user. A process outside any bundle has no identifier.
std::vector<RunningApplication> runningApplications();

// The bundle folder (innermost *.app that reads as a bundle) that holds `executable`.
std::optional<std::filesystem::path>
enclosingApplicationBundle(const std::filesystem::path &executable);

// The login name of the user running the process.
QString userName();

} // namespace zembra::platform
