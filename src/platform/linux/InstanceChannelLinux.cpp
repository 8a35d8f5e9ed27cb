#include "platform/InstanceChannel.h"

#include "platform/PidFile.h"
#include "platform/linux/FreedesktopApplication.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zembra::platform {

namespace fs = std::filesystem;

namespace {

// A later launch that never finishes its request, or a flood of them, cannot hold the
// running program's sockets for long.
constexpr int kMaxConnections = 8;
constexpr int kConnectionMs = 5000;
constexpr int kMaxAnswerBytes = 4096;

// The socket's address, or nothing when the path does not fit in one.
std::optional<sockaddr_un> socketAddress(const fs::path &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    return address;
}

// The user id of the process at the other end of `fd`.
std::optional<uid_t> peerUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}

// One later launch's connection, open until its request is answered, it sends more than
// one message may hold, it hangs up, or its time is up.
class Peer : public QObject {
public:
    using Answer = std::function<QByteArray(const QByteArray &line)>;
    Peer(int fd, Answer answer, QObject *parent)
        : QObject(parent), m_fd(fd), m_answer(std::move(answer)),
          m_readable(fd, QSocketNotifier::Read, this),
          m_writable(fd, QSocketNotifier::Write, this) {
        m_writable.setEnabled(false);
        connect(&m_readable, &QSocketNotifier::activated, this, &Peer::read);
        connect(&m_writable, &QSocketNotifier::activated, this, &Peer::write);
        QTimer::singleShot(kConnectionMs, this, &Peer::end);
    }
    ~Peer() override { ::close(m_fd); }

private:
    void end() {
        m_readable.setEnabled(false);
        m_writable.setEnabled(false);
        deleteLater();
    }
    void read() {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n <= 0)
                return end(); // hung up, or broken, before a whole request
            m_buffer.append(chunk, n);
            const qsizetype newline = m_buffer.indexOf('\n');
            if (newline >= 0 && newline <= kMaxMessageBytes) {
                m_readable.setEnabled(false);
                m_out = m_answer(m_buffer.left(newline));
                m_buffer.clear();
                return write();
            }
            if (m_buffer.size() > kMaxMessageBytes)
                return end();
        }
    }
    void write() {
        while (!m_out.isEmpty()) {
            const ssize_t n = ::send(m_fd, m_out.constData(), m_out.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                m_writable.setEnabled(true);
                return;
            }
            if (n < 0)
                return end();
            m_out.remove(0, n);
        }
        ::shutdown(m_fd, SHUT_WR);
        end();
    }

    int m_fd;
    Answer m_answer;
    QSocketNotifier m_readable, m_writable;
    QByteArray m_buffer, m_out;
};

// The socket `path` listening, only this user able to reach it; -1 and why otherwise.
int listenOn(const fs::path &path, QString *problem) {
    const auto address = socketAddress(path);
    if (!address) {
        *problem =
            QStringLiteral("%1 is too long for a socket").arg(QFile::decodeName(path.c_str()));
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // The socket file takes its mode from the socket, so it is never open to others.
    if (fd < 0 || ::fchmod(fd, 0600) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr *>(&*address), sizeof *address) != 0 ||
        ::listen(fd, kMaxConnections) != 0) {
        *problem =
            QStringLiteral("cannot listen on %1: %2")
                .arg(QFile::decodeName(path.c_str()), QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Connected to the socket `path` of this user, or -1: `notOurs` says when something else
// lies there (a link, another kind of file, another user's), which no retry mends.
int connectTo(const fs::path &path, bool *notOurs) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return -1;
    const auto address = socketAddress(path);
    if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid() || !address) {
        *notOurs = true;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&*address), sizeof *address) != 0) {
        ::close(fd);
        return -1;
    }
    if (peerUser(fd) != geteuid()) {
        *notOurs = true;
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits up to `ms` for `events` on `fd`.
bool waitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int n;
    do
        n = ::poll(&p, 1, ms);
    while (n < 0 && errno == EINTR);
    return n > 0;
}

// A folder nobody else can enter or replace: a real folder, not a link, of this user,
// with no rights for group or others.
bool isPrivateFolder(const fs::path &dir) {
    struct stat st {};
    return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0;
}

bool makePrivateFolder(const fs::path &dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return isPrivateFolder(dir);
}

// Where the lock and the socket live: below $XDG_RUNTIME_DIR when that is private, else a
// folder of this user's own in the temporary folder. A folder someone else made (or made
// a link) in a world-writable place is refused, never used.
std::optional<fs::path> runtimeFolder(QString *problem) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    fs::path dir;
    if (runtime.startsWith('/') && isPrivateFolder(runtime.toStdString()))
        dir = fs::path(runtime.toStdString()) / "uninstaller-zembra";
    else
        dir = fs::path(QFile::encodeName(QDir::tempPath()).toStdString()) /
              ("uninstaller-zembra-" + std::to_string(geteuid()));
    if (makePrivateFolder(dir))
        return dir;
    *problem = QStringLiteral("%1 is not a private folder of this user")
                   .arg(QFile::decodeName(dir.c_str()));
    return std::nullopt;
}

// One name per settings folder, short enough for a socket's path.
std::string instanceName(const QString &settingsFolder) {
    const QFileInfo info(settingsFolder);
    const QString canonical = info.canonicalFilePath();
    const QString folder =
        canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    return QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
        .toHex()
        .left(32)
        .toStdString();
}

} // namespace

struct InstanceChannel::Private {
    Role role = Role::Unguarded;
    QString problem;
    std::unique_ptr<PidFile> lock;
    fs::path lockFile;
    fs::path socketPath;
    int listening = -1;
    QSocketNotifier *listener = nullptr;
    QObject *peers = nullptr; // parent of the connections being served
    FreedesktopApplication *application = nullptr;
    Handler handler;
    bool onSessionBus = false;
};

QString InstanceChannel::busName() {
    return QStringLiteral(ZEMBRA_APP_ID);
}

QString InstanceChannel::objectPath() {
    return QLatin1Char('/') + busName()
                                  .replace(QLatin1Char('.'), QLatin1Char('/'))
                                  .replace(QLatin1Char('-'), QLatin1Char('_'));
}

InstanceChannel::InstanceChannel() : d(std::make_unique<Private>()) {}

InstanceChannel::~InstanceChannel() {
    if (d->application)
        QDBusConnection::sessionBus().unregisterObject(objectPath());
    // The socket file goes first, then the lock: a later start never sees a held lock
    // without a socket it could reach.
    if (d->listening >= 0) {
        delete d->listener;
        ::unlink(d->socketPath.c_str());
        ::close(d->listening);
    }
    d->lock.reset();
}

std::unique_ptr<InstanceChannel> InstanceChannel::open(const QString &settingsFolder,
                                                       bool onSessionBus) {
    std::unique_ptr<InstanceChannel> channel(new InstanceChannel);
    Private &d = *channel->d;
    d.onSessionBus = onSessionBus;
    const auto folder = runtimeFolder(&d.problem);
    if (!folder)
        return channel;
    const std::string name = instanceName(settingsFolder);
    d.lockFile = *folder / (name + ".pid");
    d.socketPath = *folder / (name + ".socket");

    d.lock = PidFile::acquire(d.lockFile);
    if (!d.lock) {
        if (PidFile::holder(d.lockFile)) {
            d.role = Role::Forwarding;
        } else {
            d.problem = QStringLiteral("cannot lock %1").arg(QFile::decodeName(d.lockFile.c_str()));
        }
        return channel;
    }

    // Holding the lock, any socket file there is one a run that crashed left behind (in a
    // folder only this user can write: a link there is removed, never followed).
    ::unlink(d.socketPath.c_str());
    d.listening = listenOn(d.socketPath, &d.problem);
    if (d.listening < 0) {
        // A lock nobody can reach would turn every later start away: run unguarded.
        d.lock.reset();
        return channel;
    }
    InstanceChannel *self = channel.get();
    d.listener = new QSocketNotifier(d.listening, QSocketNotifier::Read, self);
    connect(d.listener, &QSocketNotifier::activated, self, &InstanceChannel::acceptPeers);
    d.peers = new QObject(self);
    d.role = Role::Running;

    if (onSessionBus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            d.application = new FreedesktopApplication(
                [self](const ActivationRequest &request) {
                    return self->d->handler ? self->d->handler(request)
                                            : QStringLiteral("not ready yet");
                },
                self);
            bus.registerObject(objectPath(), d.application, QDBusConnection::ExportAllSlots);
            // Asked without waiting for the answer: the window must not wait on the bus.
            QDBusMessage request = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
            request << busName() << uint(4); // DBUS_NAME_FLAG_DO_NOT_QUEUE
            bus.asyncCall(request);
        }
    }
    return channel;
}

InstanceChannel::Role InstanceChannel::role() const {
    return d->role;
}

QString InstanceChannel::problem() const {
    return d->problem;
}

void InstanceChannel::setHandler(Handler handler) {
    d->handler = std::move(handler);
}

void InstanceChannel::acceptPeers() {
    for (;;) {
        const int fd = ::accept4(d->listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the waiting connection stays readable, so
                // rest a moment rather than spin on it.
                d->listener->setEnabled(false);
                QTimer::singleShot(100, d->listener,
                                   [listener = d->listener] { listener->setEnabled(true); });
            }
            return;
        }
        // Only this user's own launches; a flood waits for the ones before it to end.
        if (peerUser(fd) != geteuid() || d->peers->children().size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        new Peer(
            fd,
            [this](const QByteArray &line) {
                QString problem;
                const auto request = decodeRequest(line, &problem);
                if (request)
                    problem = d->handler ? d->handler(*request) : QStringLiteral("not ready yet");
                return encodeAnswer(problem);
            },
            d->peers);
    }
}

std::optional<QString> InstanceChannel::forward(const ActivationRequest &request, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    const auto remaining = [&] { return std::max(0, timeoutMs - int(clock.elapsed())); };
    if (d->onSessionBus) {
        bool reached = false;
        auto refusal = activateOnBus(QDBusConnection::sessionBus(), busName(), objectPath(),
                                     request, remaining() / 2, &reached);
        if (reached)
            return refusal;
    }
    // The instance may hold its lock and not listen yet: try until the time is up.
    int fd = -1;
    for (;;) {
        bool notOurs = false;
        fd = connectTo(d->socketPath, &notOurs);
        if (fd >= 0)
            break;
        if (notOurs)
            return QStringLiteral("%1 is not the running program's socket")
                .arg(QFile::decodeName(d->socketPath.c_str()));
        if (remaining() == 0) {
            const auto pid = PidFile::holder(d->lockFile);
            return QStringLiteral("the running program (pid %1) does not answer")
                .arg(pid.value_or(0));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, remaining())));
    }
    const QByteArray message = encodeRequest(request);
    qsizetype sent = 0;
    while (sent < message.size() && waitFor(fd, POLLOUT, remaining())) {
        const ssize_t n =
            ::send(fd, message.constData() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            break;
        sent += std::max<ssize_t>(n, 0);
    }
    QByteArray answer;
    while (sent == message.size() && !answer.contains('\n') && answer.size() <= kMaxAnswerBytes &&
           waitFor(fd, POLLIN, remaining())) {
        char chunk[kMaxAnswerBytes];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        answer.append(chunk, n);
    }
    ::close(fd);
    if (!answer.contains('\n'))
        return QStringLiteral("the running program did not answer");
    const QString refusal = decodeAnswer(answer.left(answer.indexOf('\n')));
    return refusal.isEmpty() ? std::nullopt : std::optional<QString>(refusal);
}

} // namespace zembra::platform
