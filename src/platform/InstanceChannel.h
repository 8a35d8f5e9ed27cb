#pragma once
// One desktop program per settings folder. The first start on a settings folder becomes
// its running instance and listens; a later start on the same folder hands its request to
// it and ends. The running instance is the process holding a locked pid file in a private
// runtime folder (the user's $XDG_RUNTIME_DIR, or a folder of the user's own in the
// temporary folder), and it listens on a Unix-domain socket beside it, answering only
// peers of its own user; on the user's own
// settings it also answers on the session bus as the desktop entry's name
// (org.freedesktop.Application), so the desktop's launcher and notices reach it.
//
// Made by main() before the window; GUI thread only. Requests are answered on the GUI
// thread without waiting on the sender.

#include "platform/ActivationRequest.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace zembra::platform {

class InstanceChannel : public QObject {
public:
    enum class Role {
        Running,    // this process is the instance for its settings folder
        Forwarding, // another process is: hand the request over and end
        Unguarded,  // no private place for the lock and socket: run alone, unguarded
    };
    // The answer to a request: empty when taken, else why it was refused.
    using Handler = std::function<QString(const ActivationRequest &)>;

    // The D-Bus name and object path of the running instance on the user's own settings.
    static QString busName();
    static QString objectPath();

    // Takes or finds the instance for `settingsFolder` (links resolved, so two spellings
    // of one folder are one instance). `onSessionBus`: also claim the bus name, for the
    // user's own settings only (another settings folder is another program to the user).
    static std::unique_ptr<InstanceChannel> open(const QString &settingsFolder, bool onSessionBus);
    ~InstanceChannel() override;

    Role role() const;
    // Unguarded: why.
    QString problem() const;

    // Running: `handler` answers every well-formed request from now on.
    void setHandler(Handler handler);

    // Forwarding: hands `request` to the running instance, waiting at most `timeoutMs`;
    // nothing when it was taken, else the reason (a refusal, that nobody answered, or that
    // the socket there is not a socket of this user's).
    std::optional<QString> forward(const ActivationRequest &request, int timeoutMs = 5000);

private:
    InstanceChannel();
    void acceptPeers();
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zembra::platform
