#pragma once
// Folders given for one run only (the command line's and the GUI's --applications,
// --home, --root): they shadow the stored grants in the settings store and are never
// written. --root also switches the system-wide search on ("AllowAny").

#include "platform/SettingsStore.h"

#include <map>
#include <string>

namespace zembra::grants {

// `folders` maps an option ("--applications", "--home", "--root") to the folder given.
// Returns "" when every folder was applied, else a message naming the first option whose
// folder is missing or not a folder (nothing is applied for it or after it).
std::string applyGrantOptions(platform::SettingsStore &settings, const std::map<std::string, std::string> &folders);

} // namespace zembra::grants
