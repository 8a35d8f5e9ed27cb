#pragma once
// Stand-in for the open panel that asks the user for a folder: Qt's own file dialog
// (not the desktop's native one, so it looks the same everywhere and accessibility tools
// reach it), folders only, a single choice, hidden entries not shown. It runs window-modal
// over `parent` and answers through `done` once, with the chosen folder or nothing when
// cancelled. Screens call `OpenPanel::shared()`; tests install a double that answers at
// once with `setShared`. GUI thread only.

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

class QObject;
class QWidget;

namespace zembra::platform {

class OpenPanel {
public:
    struct Request {
        QString title;  // empty: the dialog's own title
        QString prompt; // the confirm button's text
        std::filesystem::path directory;
    };
    using Done = std::function<void(std::optional<std::filesystem::path>)>;

    virtual ~OpenPanel() = default;

    static OpenPanel &shared();
    // Installs `panel` (not owned) in place of the platform's; null restores it.
    static void setShared(OpenPanel *panel);

    // `done` runs only while `context` lives.
    virtual void beginModal(const Request &request, QWidget *parent, QObject *context, Done done);
};

} // namespace zembra::platform
