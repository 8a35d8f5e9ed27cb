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
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace zembra::platform {

namespace fs = std::filesystem;

namespace {

// A later launch that never finishes its request, or a flood of them, cannot hold the
// running program's sockets for long.
constexpr int kMaxConnections = 8;
constexpr int kConnectionMs = 5000;
constexpr int kMaxAnswerBytes = 4096;

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
    QString socketPath;
    QLocalServer *server = nullptr;
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
    delete d->server;
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
    d.socketPath = QFile::decodeName((*folder / (name + ".socket")).c_str());

    d.lock = PidFile::acquire(d.lockFile);
    if (!d.lock) {
        if (PidFile::holder(d.lockFile)) {
            d.role = Role::Forwarding;
        } else {
            d.problem = QStringLiteral("cannot lock %1").arg(QFile::decodeName(d.lockFile.c_str()));
        }
        return channel;
    }

    // Holding the lock, any socket file there is one a run that crashed left behind.
    QLocalServer::removeServer(d.socketPath);
    d.server = new QLocalServer(channel.get());
    d.server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!d.server->listen(d.socketPath)) {
        // A lock nobody can reach would turn every later start away: run unguarded.
        d.problem =
            QStringLiteral("cannot listen on %1: %2").arg(d.socketPath, d.server->errorString());
        delete d.server;
        d.server = nullptr;
        d.lock.reset();
        return channel;
    }
    InstanceChannel *self = channel.get();
    connect(d.server, &QLocalServer::newConnection, self, [self] {
        while (QLocalSocket *socket = self->d->server->nextPendingConnection())
            self->serve(socket);
    });
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

void InstanceChannel::serve(QLocalSocket *socket) {
    if (d->server->findChildren<QLocalSocket *>().size() > kMaxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kConnectionMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
        *buffer += socket->readAll();
        const qsizetype end = buffer->indexOf('\n');
        if (end < 0) {
            if (buffer->size() > kMaxMessageBytes) {
                socket->abort();
                socket->deleteLater();
            }
            return;
        }
        QString problem;
        const auto request = decodeRequest(buffer->left(end), &problem);
        buffer->clear();
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        QString refusal = problem;
        if (request)
            refusal = d->handler ? d->handler(*request) : QStringLiteral("not ready yet");
        socket->write(encodeAnswer(refusal));
        socket->disconnectFromServer();
    });
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
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(d->socketPath);
        if (socket.waitForConnected(remaining()))
            break;
        socket.abort();
        if (remaining() == 0) {
            const auto pid = PidFile::holder(d->lockFile);
            return QStringLiteral("the running program (pid %1) does not answer")
                .arg(pid.value_or(0));
        }
        QThread::msleep(50);
    }
    socket.write(encodeRequest(request));
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() <= kMaxAnswerBytes) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(remaining()))
            break;
        answer += socket.read(kMaxAnswerBytes);
    }
    if (!answer.contains('\n'))
        return QStringLiteral("the running program did not answer");
    const QString refusal = decodeAnswer(answer.left(answer.indexOf('\n')));
    return refusal.isEmpty() ? std::nullopt : std::optional<QString>(refusal);
}

} // namespace zembra::platform
