#pragma once
// The desktop program as the one running on its settings folder: what a later launch asks
// of it (made from that launch's options), and how the running window answers a request
// from another launch, the desktop's launcher or a notice: the folders checked against
// its own, the window brought forward, the asked-for screen opened. GUI thread only.

#include "platform/ActivationRequest.h"

#include <QString>

#include <map>
#include <string>

namespace zembra {

class AppDelegate;
class WindowController;
struct ProgramOptions;

// `grants` with their folders made absolute without resolving links, as the grants
// themselves are.
std::map<std::string, std::string> absoluteGrants(const std::map<std::string, std::string> &grants);

// What a launch with `options` asks of the program already running.
platform::ActivationRequest requestOf(const ProgramOptions &options);

// Opens the screen `request` asks for (none for a plain activation) once control is back
// in the event loop; the reason when it cannot ("no remembered application KEY").
QString openRequestedScreen(AppDelegate &delegate, const QString &settingsFolder,
                            const platform::ActivationRequest &request);

class InstanceRequests {
public:
    // `ownGrants`: the folders this run was given on its command line, absolute.
    InstanceRequests(AppDelegate &delegate, WindowController &window, QString settingsFolder,
                     std::map<std::string, std::string> ownGrants);

    // Empty when `request` was taken. Folders other than this run's own are refused (they
    // would otherwise be taken for the ones shown); a request for a screen while a
    // removal runs only brings the window forward, so the removal's outcome is not lost.
    QString answer(const platform::ActivationRequest &request);

private:
    bool removalRunning() const;

    AppDelegate &m_delegate;
    WindowController &m_window;
    QString m_settingsFolder;
    std::map<std::string, std::string> m_ownGrants;
};

// Appends "screen IDENTIFIER" for every screen the window shows (the one shown now
// first) and "raise" each time it is brought forward to `file`, a line at a time.
void recordScreens(WindowController &window, const QString &file);

} // namespace zembra
