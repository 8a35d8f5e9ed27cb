// One window per settings folder: the desktop program run twice as real processes,
// offscreen, on a temporary tree, with a private session bus or without any. The running
// program records what its window shows (--record-screens), which is what these tests read.

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "platform/ActivationRequest.h"
#include "platform/PidFile.h"
#include "platform/SettingsStore.h"
#include "support/CaseName.h"
#include "support/TreeBuilder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zembra;
using namespace zembra::test;

namespace {

const QString kBusName = QStringLiteral("com.torvan.belquist.UninstallerZembra");
const QString kObjectPath = QStringLiteral("/com/torvan/belquist/UninstallerZembra");

QString q(const fs::path &p) {
    return QString::fromStdString(p.native());
}

// A session bus of the test's own, up while the object lives.
class PrivateBus {
public:
    explicit PrivateBus(const fs::path &readyFile) {
        m_process.start(
            QStringLiteral("dbus-run-session"),
            {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral(
                 "printf %s \"$DBUS_SESSION_BUS_ADDRESS\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\" "
                 "&& exec cat"),
             q(readyFile)});
        if (m_process.waitForStarted(5000) &&
            QTest::qWaitFor([&] { return fs::exists(readyFile); }, 10000)) {
            QFile file(q(readyFile));
            if (file.open(QIODevice::ReadOnly))
                m_address = QString::fromUtf8(file.readAll());
        }
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("single-instance-test"));
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    const QString &address() const { return m_address; }
    QDBusConnection connection() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("single-instance-test"));
    }

private:
    QProcess m_process;
    QString m_address;
};

// Applications/, home/, settings/ and a private runtime folder; the programs see only these.
struct InstanceTree {
    TreeBuilder tree;
    fs::path applications = tree.dir("Applications"), home = tree.dir("home"),
             settings = tree.dir("settings"), runtime = tree.dir("run"), tmp = tree.dir("tmp");
    InstanceTree() { fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace); }

    QProcessEnvironment environment(const QString &busAddress = {}) const {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"),
                   qEnvironmentVariable("PATH", QStringLiteral("/usr/bin:/bin")));
        env.insert(QStringLiteral("HOME"), q(home));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), q(tree / "xdg-config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), q(runtime));
        env.insert(QStringLiteral("TMPDIR"), q(tmp));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!busAddress.isEmpty())
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        return env;
    }
    QStringList folders() const {
        return {QStringLiteral("--applications"), q(applications), QStringLiteral("--home"),
                q(home)};
    }
    // Where the program keeps its settings: --settings-dir, or the user's own.
    fs::path settingsFolder(bool userSettings) const {
        return userSettings ? tree / "xdg-config/zembra" : settings;
    }

    // An application the watcher remembers as gone, under its identifier.
    void rememberGone(bool userSettings) {
        const fs::path bundle =
            tree.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor");
        TestSettings store;
        store.grantTree(tree, "home", false);
        ApplicationSnapshot snapshot{
            applications,
            {{Application(store).application(bundle), false, QDateTime::currentDateTimeUtc()}}};
        fs::create_directories(settingsFolder(userSettings));
        ASSERT_TRUE(writeSnapshot(snapshotFile(q(settingsFolder(userSettings))), snapshot));
        fs::remove_all(bundle);
    }
    int launchCount(bool userSettings) const {
        platform::SettingsStore store(q(settingsFolder(userSettings)) +
                                      QStringLiteral("/Uninstaller zembra.conf"));
        return store.integerForKey(QStringLiteral("appLaunchCount"));
    }
};

// One run of the desktop program, ended when the object goes.
class Program {
public:
    Program(const QProcessEnvironment &env, const QStringList &arguments) {
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(ZEMBRA_GUI_PATH), arguments);
    }
    ~Program() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QProcess &process() { return m_process; }
    bool running() const { return m_process.state() == QProcess::Running; }
    // Finished within `ms`, with its status.
    std::optional<int> exitCode(int ms = 15000) {
        if (!m_process.waitForFinished(ms) || m_process.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        return m_process.exitCode();
    }

private:
    QProcess m_process;
};

QStringList recorded(const fs::path &record) {
    QFile file(q(record));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool waitForLine(const fs::path &record, const QString &line, int ms = 15000) {
    return QTest::qWaitFor([&] { return recorded(record).contains(line); }, ms);
}

QStringList withRecord(const fs::path &record, QStringList arguments) {
    return QStringList{QStringLiteral("--record-screens"), q(record)} + arguments;
}

bool ownsBusName(const PrivateBus &bus) {
    return QTest::qWaitFor(
        [&] { return bus.connection().interface()->isServiceRegistered(kBusName).value(); }, 15000);
}

// The first launch, at home: with a session bus whose name it owns and the user's own
// settings, or with --settings-dir and no bus.
struct RunningWindow {
    RunningWindow(InstanceTree &t, bool withBus) : record(t.tree / "first.record") {
        if (withBus) {
            bus = std::make_unique<PrivateBus>(t.tree / "bus.address");
            EXPECT_FALSE(bus->address().isEmpty());
        } else {
            settings = {QStringLiteral("--settings-dir"), q(t.settings)};
        }
        env = t.environment(bus ? bus->address() : QString());
        program = std::make_unique<Program>(env, withRecord(record, t.folders() + settings));
        EXPECT_TRUE(waitForLine(record, QStringLiteral("screen Home")));
        if (bus) {
            EXPECT_TRUE(ownsBusName(*bus)) << "the running window does not answer on the bus";
        }
    }
    fs::path record;
    std::unique_ptr<PrivateBus> bus;
    QProcessEnvironment env;
    QStringList settings;
    std::unique_ptr<Program> program;
};

} // namespace

// --- A later launch on the same settings -------------------------------------------------

struct LaterLaunchCase {
    const char *name;
    bool bus;         // a session bus and the user's own settings, else --settings-dir and no bus
    bool sameFolders; // the later launch repeats the running window's folders (as the watcher does)
    QStringList arguments;
    QString shown; // what the running window records
};

ZEMBRA_PRINT_CASE_BY_NAME(LaterLaunchCase)

class LaterLaunch : public testing::TestWithParam<LaterLaunchCase> {};

TEST_P(LaterLaunch, SameSettings_RunningWindowShowsItAndTheLaunchEndsWithStatusZero) {
    const LaterLaunchCase &c = GetParam();
    InstanceTree t;
    t.rememberGone(c.bus);
    RunningWindow first(t, c.bus);
    const fs::path second = t.tree / "second.record";
    Program later(first.env, withRecord(second, (c.sameFolders ? t.folders() : QStringList{}) +
                                                    first.settings + c.arguments));
    const auto status = later.exitCode();
    ASSERT_TRUE(status.has_value())
        << "the later launch is still running: it opened a window of its own";
    EXPECT_EQ(*status, 0) << later.process().readAllStandardError().toStdString();
    EXPECT_TRUE(waitForLine(first.record, c.shown))
        << recorded(first.record).join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(recorded(first.record).contains(QStringLiteral("raise")));
    EXPECT_FALSE(fs::exists(second)) << "the later launch showed a window";
    EXPECT_TRUE(first.program->running());
    EXPECT_EQ(t.launchCount(c.bus), 1) << "the later launch counted as a start";
}

INSTANTIATE_TEST_SUITE_P(
    Launches, LaterLaunch,
    testing::Values(LaterLaunchCase{"Plain_Socket", false, true, {}, QStringLiteral("raise")},
                    LaterLaunchCase{
                        "PlainWithoutFolders_Socket", false, false, {}, QStringLiteral("raise")},
                    LaterLaunchCase{"Review_Socket",
                                    false,
                                    true,
                                    {QStringLiteral("--review-remembered=com.vendor.editor")},
                                    QStringLiteral("screen Remainder")},
                    LaterLaunchCase{"Removed_Socket",
                                    false,
                                    true,
                                    {QStringLiteral("--removed-applications")},
                                    QStringLiteral("screen RemovedApplications")},
                    LaterLaunchCase{"Plain_Bus", true, true, {}, QStringLiteral("raise")},
                    LaterLaunchCase{"Review_Bus",
                                    true,
                                    true,
                                    {QStringLiteral("--review-remembered=com.vendor.editor")},
                                    QStringLiteral("screen Remainder")},
                    LaterLaunchCase{"Removed_Bus",
                                    true,
                                    false,
                                    {QStringLiteral("--removed-applications")},
                                    QStringLiteral("screen RemovedApplications")}),
    zembra::test::CaseName());

// --- What a later launch may not do ------------------------------------------------------

struct RefusedCase {
    const char *name;
    bool bus;
    std::function<QStringList(const InstanceTree &)> arguments;
    const char *said;
};

ZEMBRA_PRINT_CASE_BY_NAME(RefusedCase)

class RefusedLaunch : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedLaunch, RunningWindowKeepsItsFoldersAndScreen_LaunchSaysWhyWithStatusOne) {
    const RefusedCase &c = GetParam();
    InstanceTree t;
    t.tree.dir("other");
    RunningWindow first(t, c.bus);
    Program later(first.env, first.settings + c.arguments(t));
    const auto status = later.exitCode();
    ASSERT_TRUE(status.has_value()) << "the later launch opened a window of its own";
    EXPECT_EQ(*status, 1);
    EXPECT_TRUE(later.process().readAllStandardError().contains(c.said));
    EXPECT_EQ(recorded(first.record).filter(QStringLiteral("screen ")),
              QStringList{QStringLiteral("screen Home")})
        << "the running window moved";
    EXPECT_TRUE(first.program->running());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedLaunch,
    testing::Values(
        RefusedCase{"OtherHome_Socket", false,
                    [](const InstanceTree &t) {
                        return QStringList{QStringLiteral("--applications"), q(t.applications),
                                           QStringLiteral("--home"), q(t.tree / "other"),
                                           QStringLiteral("--removed-applications")};
                    },
                    "works on other folders"},
        RefusedCase{
            "WholeDiskAdded_Socket", false,
            [](const InstanceTree &t) {
                return t.folders() + QStringList{QStringLiteral("--root"), q(t.tree.root())};
            },
            "works on other folders"},
        RefusedCase{"OtherApplications_Bus", true,
                    [](const InstanceTree &t) {
                        return QStringList{QStringLiteral("--applications"), q(t.tree / "other"),
                                           QStringLiteral("--home"), q(t.home)};
                    },
                    "works on other folders"},
        RefusedCase{"UnknownRememberedKey_Bus", true,
                    [](const InstanceTree &t) {
                        return t.folders() +
                               QStringList{QStringLiteral("--review-remembered=com.x.\x1b[2Jnone")};
                    },
                    "no remembered application com.x.\\x1b[2Jnone"}),
    zembra::test::CaseName());

TEST(SingleInstance, OtherSettingsFolder_OpensAWindowOfItsOwn) {
    InstanceTree t;
    const fs::path otherSettings = t.tree.dir("other-settings");
    const fs::path second = t.tree / "second.record";
    RunningWindow first(t, false);
    Program other(
        t.environment(),
        withRecord(second,
                   t.folders() + QStringList{QStringLiteral("--settings-dir"), q(otherSettings),
                                             QStringLiteral("--removed-applications")}));
    EXPECT_TRUE(waitForLine(second, QStringLiteral("screen RemovedApplications")));
    EXPECT_TRUE(other.running());
    EXPECT_EQ(recorded(first.record), QStringList{QStringLiteral("screen Home")});
}

TEST(SingleInstance, WindowUp_ItsLaunchIsCountedOnDiskWhileItStillRuns) {
    InstanceTree t;
    RunningWindow first(t, false);
    // Written once the window has been painted, not held until the program ends.
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.launchCount(false) == 1; }, 15000));
    EXPECT_TRUE(first.program->running());
}

TEST(SingleInstance, RunThatWasKilled_NextStartRunsAndAnswersLaterLaunches) {
    InstanceTree t;
    const QStringList arguments =
        t.folders() + QStringList{QStringLiteral("--settings-dir"), q(t.settings)};
    const fs::path crashed = t.tree / "crashed.record", next = t.tree / "next.record";
    {
        Program killed(t.environment(), withRecord(crashed, arguments));
        ASSERT_TRUE(waitForLine(crashed, QStringLiteral("screen Home")));
        killed.process().kill(); // no clean-up: its socket file stays behind
        killed.process().waitForFinished(5000);
    }
    Program running(t.environment(), withRecord(next, arguments));
    ASSERT_TRUE(waitForLine(next, QStringLiteral("screen Home")))
        << "a stale socket kept the program from starting";
    Program later(t.environment(),
                  arguments + QStringList{QStringLiteral("--removed-applications")});
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_TRUE(waitForLine(next, QStringLiteral("screen RemovedApplications")));
}

TEST(SingleInstance, RuntimeFolderOthersCanWrite_SocketGoesToAPrivateFolderInstead) {
    InstanceTree t;
    fs::permissions(t.runtime, fs::perms::all, fs::perm_options::replace);
    RunningWindow first(t, false);
    EXPECT_TRUE(fs::is_empty(t.runtime)) << "something was put in a folder others can write";
    const fs::path own = t.tmp / ("uninstaller-zembra-" + std::to_string(geteuid()));
    struct stat st {};
    ASSERT_EQ(lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    Program later(first.env, t.folders() + first.settings);
    EXPECT_EQ(later.exitCode(), 0);
}

TEST(SingleInstance, PrivateFolderNameTakenByALink_NeverFollowedAndTheProgramStillRuns) {
    InstanceTree t;
    fs::permissions(t.runtime, fs::perms::all, fs::perm_options::replace);
    const fs::path elsewhere = t.tree.dir("elsewhere");
    t.tree.link("tmp/uninstaller-zembra-" + std::to_string(geteuid()), elsewhere);
    RunningWindow first(t, false);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_TRUE(first.program->process().readAllStandardError().contains(
        "is not a private folder of this user"));
}

TEST(SingleInstance, DesktopCallsOnTheBus_OpenKnownActionsAndRefuseTheRest) {
    InstanceTree t;
    RunningWindow first(t, true);
    const PrivateBus &bus = *first.bus;
    const fs::path &record = first.record;
    const auto call = [&](const QString &method, const QVariantList &arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            kBusName, kObjectPath, QStringLiteral("org.freedesktop.Application"), method);
        message.setArguments(arguments);
        return bus.connection().call(message, QDBus::Block, 10000);
    };
    const QVariantMap launcher{
        {QStringLiteral("desktop-startup-id"), QStringLiteral("launcher-1")}};

    // Refused: an unknown action, a key where none belongs, a key too long, a parameter
    // that is no text, another home folder, a document to open.
    const std::pair<QString, QVariantList> refused[] = {
        {QStringLiteral("ActivateAction"),
         {QStringLiteral("delete-everything"), QVariantList{}, launcher}},
        {QStringLiteral("ActivateAction"),
         {QStringLiteral("removed-applications"), QVariantList{QStringLiteral("com.x")}, launcher}},
        {QStringLiteral("ActivateAction"),
         {QStringLiteral("review-remembered"), QVariantList{QString(5000, QLatin1Char('a'))},
          launcher}},
        {QStringLiteral("ActivateAction"),
         {QStringLiteral("review-remembered"), QVariantList{42}, launcher}},
        {QStringLiteral("Activate"),
         {QVariantMap{{QStringLiteral("zembra-home"), QByteArray("/")}}}},
        {QStringLiteral("Open"), {QStringList{QStringLiteral("file:///")}, launcher}},
    };
    for (const auto &[method, arguments] : refused)
        EXPECT_EQ(call(method, arguments).type(), QDBusMessage::ErrorMessage)
            << method.toStdString();
    EXPECT_EQ(recorded(record), QStringList{QStringLiteral("screen Home")});

    EXPECT_EQ(call(QStringLiteral("Activate"), {launcher}).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitForLine(record, QStringLiteral("raise")));
    EXPECT_EQ(call(QStringLiteral("ActivateAction"),
                   {QStringLiteral("removed-applications"), QVariantList{}, launcher})
                  .type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitForLine(record, QStringLiteral("screen RemovedApplications")));
}

// --- Peers on the running window's socket ------------------------------------------------

namespace {

fs::path socketOf(const InstanceTree &t) {
    for (const auto &entry : fs::directory_iterator(t.runtime / "uninstaller-zembra"))
        if (entry.path().extension() == ".socket")
            return entry.path();
    return {};
}

sockaddr_un addressOf(const fs::path &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// A connection of the test's own; closed with the object.
struct RawPeer {
    explicit RawPeer(const fs::path &path) : fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const sockaddr_un address = addressOf(path);
        connected = connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawPeer() { close(fd); }
    void send(const QByteArray &bytes) const {
        ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL);
    }
    // All the other end sent before it hung up; nothing when it is still open after `ms`.
    std::optional<QByteArray> untilHungUp(int ms) const {
        QByteArray received;
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            const int left = ms - int(clock.elapsed());
            if (left <= 0 || poll(&p, 1, left) <= 0)
                return std::nullopt;
            char chunk[4096];
            const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return received;
            received.append(chunk, n);
        }
    }
    int fd;
    bool connected = false;
};

// A later launch on the running window's settings that asks for the removed applications:
// the window answers it, so its channel still works.
void expectStillAnswers(const InstanceTree &t, const RunningWindow &first) {
    Program later(first.env, t.folders() + first.settings +
                                 QStringList{QStringLiteral("--removed-applications")});
    EXPECT_EQ(later.exitCode(), 0) << later.process().readAllStandardError().toStdString();
    EXPECT_TRUE(waitForLine(first.record, QStringLiteral("screen RemovedApplications")));
}

} // namespace

struct MessageCase {
    const char *name;
    QByteArray sent;
    QByteArray answer; // in the one line answered; empty: hung up without an answer
};

ZEMBRA_PRINT_CASE_BY_NAME(MessageCase)

class PeerMessage : public testing::TestWithParam<MessageCase> {};

TEST_P(PeerMessage, BadMessage_RefusedOrDroppedAndTheWindowStaysAndAnswersTheNext) {
    const MessageCase &c = GetParam();
    InstanceTree t;
    RunningWindow first(t, false);
    {
        RawPeer peer(socketOf(t));
        ASSERT_TRUE(peer.connected);
        peer.send(c.sent);
        const auto received = peer.untilHungUp(10000);
        ASSERT_TRUE(received.has_value()) << "the window kept the connection open";
        if (c.answer.isEmpty())
            EXPECT_TRUE(received->isEmpty()) << received->toStdString();
        else
            EXPECT_TRUE(received->endsWith('\n') && received->contains(c.answer))
                << received->toStdString();
    }
    EXPECT_EQ(recorded(first.record), QStringList{QStringLiteral("screen Home")});
    expectStillAnswers(t, first);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PeerMessage,
    testing::Values(MessageCase{"NotARequest", "hello\n", "not a request"},
                    MessageCase{"UnknownAction", "{\"action\":\"delete-everything\"}\n", "refused"},
                    MessageCase{"OverTheBoundWithoutAnEnd",
                                QByteArray(platform::kMaxMessageBytes + 1, 'a'),
                                {}},
                    MessageCase{"OverTheBoundThenAnEnd",
                                QByteArray(platform::kMaxMessageBytes + 1, 'a') + '\n',
                                {}}),
    zembra::test::CaseName());

TEST(SingleInstance, PeersUpToTheLimitHangingOn_OneMoreIsTurnedAwayAndLaterOnesAnswered) {
    InstanceTree t;
    RunningWindow first(t, false);
    {
        std::vector<std::unique_ptr<RawPeer>> silent;
        for (int i = 0; i < 8; ++i)
            silent.push_back(std::make_unique<RawPeer>(socketOf(t)));
        const RawPeer oneMore(socketOf(t));
        EXPECT_EQ(oneMore.untilHungUp(2000), QByteArray()) << "a flood held the window";
        EXPECT_FALSE(silent.back()->untilHungUp(500).has_value());
    }
    expectStillAnswers(t, first);
}

TEST(SingleInstance, PeerThatSaysNothing_IsDroppedAfterItsTime) {
    InstanceTree t;
    RunningWindow first(t, false);
    const RawPeer silent(socketOf(t));
    ASSERT_TRUE(silent.connected);
    EXPECT_EQ(silent.untilHungUp(10000), QByteArray());
}

// --- Something else where the running window's socket was -------------------------------

struct ReplacedSocketCase {
    const char *name;
    // Puts it in place of `socket`; `decoy` is a socket the test listens on.
    std::function<void(const fs::path &socket, const fs::path &decoy)> replace;
};

ZEMBRA_PRINT_CASE_BY_NAME(ReplacedSocketCase)

class ReplacedSocket : public testing::TestWithParam<ReplacedSocketCase> {};

TEST_P(ReplacedSocket, LaterLaunch_SendsNothingThereAndSaysWhyWithStatusOne) {
    const ReplacedSocketCase &c = GetParam();
    InstanceTree t;
    RunningWindow first(t, false);
    const fs::path decoy = t.tree / "decoy.socket";
    const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_un address = addressOf(decoy);
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listening, 4), 0);
    c.replace(socketOf(t), decoy);
    if (IsSkipped() || HasFatalFailure())
        return;

    Program later(first.env, t.folders() + first.settings +
                                 QStringList{QStringLiteral("--removed-applications")});
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_TRUE(
        later.process().readAllStandardError().contains("is not the running program's socket"));
    const int reached = accept(listening, nullptr, nullptr);
    EXPECT_LT(reached, 0) << "the request went to another socket";
    close(reached);
    close(listening);
    EXPECT_EQ(recorded(first.record), QStringList{QStringLiteral("screen Home")});
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ReplacedSocket,
    testing::Values(ReplacedSocketCase{"LinkToAnotherSocket",
                                       [](const fs::path &socket, const fs::path &decoy) {
                                           fs::rename(socket, socket.string() + ".aside");
                                           fs::create_symlink(decoy, socket);
                                       }},
                    ReplacedSocketCase{"LinkToTheWindowsOwnSocket",
                                       [](const fs::path &socket, const fs::path &) {
                                           const fs::path aside = socket.string() + ".aside";
                                           fs::rename(socket, aside);
                                           fs::create_symlink(aside, socket);
                                       }},
                    ReplacedSocketCase{"RegularFile",
                                       [](const fs::path &socket, const fs::path &) {
                                           fs::rename(socket, socket.string() + ".aside");
                                           QFile file(q(socket));
                                           ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                       }},
                    ReplacedSocketCase{"AnotherUsersSocket",
                                       [](const fs::path &socket, const fs::path &) {
                                           if (geteuid() != 0)
                                               GTEST_SKIP() << "only root can give a file away";
                                           ASSERT_EQ(lchown(socket.c_str(), 65534, 65534), 0);
                                       }}),
    zembra::test::CaseName());

// --- The lock a run left behind ----------------------------------------------------------

struct LeftLockCase {
    const char *name;
    std::string left; // what the lock file held before this process took it
};

ZEMBRA_PRINT_CASE_BY_NAME(LeftLockCase)

class LeftLock : public testing::TestWithParam<LeftLockCase> {};

TEST_P(LeftLock, TakenOver_HoldsExactlyThisProcesssPid) {
    TreeBuilder tree;
    const fs::path file = tree.file("run/instance.pid", GetParam().left);
    const auto lock = platform::PidFile::acquire(file);
    ASSERT_TRUE(lock);
    QFile written(q(file));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), std::to_string(getpid()) + "\n");
    EXPECT_EQ(platform::PidFile::holder(file), getpid());
}

INSTANTIATE_TEST_SUITE_P(Launches, LeftLock,
                         testing::Values(LeftLockCase{"Empty", ""},
                                         LeftLockCase{"ShorterPid", "7\n"},
                                         LeftLockCase{"LongerPidAndMore", "4194304\n4194304\n"},
                                         LeftLockCase{"NoNewline", "99999999999999999999"}),
                         zembra::test::CaseName());
