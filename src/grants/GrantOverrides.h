#pragma once
// Grants given on a program's command line (--applications, --home, --root): they shadow
// the stored grants for this process only and are never written. The command line, the
// watcher and the GUI share them.

#include "platform/SettingsStore.h"

#include <map>
#include <optional>
#include <string>

namespace zembra::grants {

// True for the option names that give a grant.
bool isGrantOption(const std::string &option);

// Applies every option -> folder pair to `settings` as overrides; "--root" also sets
// "AllowAny" 1. The folders are made absolute without resolving links. On a folder that
// is not a real folder nothing more is applied and the message names the option.
std::optional<std::string> applyGrantOverrides(const std::map<std::string, std::string> &grants,
                                               platform::SettingsStore &settings);

} // namespace zembra::grants
