#pragma once
// The open panels of the access screens: their titles, the confirm button's "Allow" and
// the folder each starts in.

#include "platform/OpenPanel.h"

namespace zembra::access {

// "Allow access", starting in the local Applications folder (the home folder where
// there is none).
platform::OpenPanel::Request applicationsRequest();
// "Allow access", starting in the home folder.
platform::OpenPanel::Request homeRequest();
// No title of its own, starting at the root folder.
platform::OpenPanel::Request wholeDiskRequest();

} // namespace zembra::access
