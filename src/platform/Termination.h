#pragma once
// Ends the event loop cleanly when the process is asked to stop (SIGTERM, SIGINT on
// POSIX), so that destructors run: the watcher's pid file is removed on the way out.

namespace zembra::platform {

// Call once, after the QCoreApplication exists.
void quitOnTerminationRequest();

} // namespace zembra::platform
