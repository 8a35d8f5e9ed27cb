#pragma once
// The command line's plug-in, preference pane and Safari extension commands: the lists,
// and the removals without review (the list found is shown, confirmed, then exactly that
// is deleted).

#include "cli/Options.h"
#include "platform/SettingsStore.h"

namespace zembra::cli {

// plugins, prefpanes, safari-extensions
int commandList(const Options &o, platform::SettingsStore &settings);
int commandRemovePlugin(const Options &o, platform::SettingsStore &settings);
int commandRemoveSafariExtension(const Options &o, platform::SettingsStore &settings);

} // namespace zembra::cli
