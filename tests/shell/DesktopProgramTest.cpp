// The desktop program run as real processes, offscreen, on a temporary tree, one window per
// settings folder; what the window shows is read from its record (--record-screens).

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "platform/ActivationRequest.h"
#include "platform/PidFile.h"
#include "platform/SettingsStore.h"
#include "shell/ProgramOptions.h"
#include "support/TreeBuilder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zembra;
using namespace zembra::test;

namespace {

ProgramOptions parse(const QStringList &arguments) {
    return parseProgramOptions(QStringList{"uninstaller-zembra"} + arguments);
}

QString q(const fs::path &p) {
    return QString::fromStdString(p.native());
}

// A session bus of the test's own, up while the object lives.
struct PrivateBus {
    PrivateBus() {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("single-instance-test");
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QDBusConnection connection() const {
        return QDBusConnection::connectToBus(address, "single-instance-test");
    }
    QProcess daemon;
    QString address;
};

// One run of the desktop program, output and errors read as one; ended with the object.
struct Program {
    Program(const QProcessEnvironment &env, const QStringList &arguments) {
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(ZEMBRA_GUI_PATH), arguments);
    }
    ~Program() {
        process.kill();
        process.waitForFinished(5000);
    }
    bool running() const { return process.state() == QProcess::Running; }
    // Its status, when it ended within `ms`.
    std::optional<int> exitCode(int ms = 15000) {
        if ((process.state() != QProcess::NotRunning && !process.waitForFinished(ms)) ||
            process.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        return process.exitCode();
    }
    QProcess process;
};

QStringList recorded(const fs::path &record) {
    return QString::fromStdString(readFile(record)).split('\n', Qt::SkipEmptyParts);
}

// The record holds `line` after its first `from` lines, within 15 s.
bool waitForLine(const fs::path &record, const QString &line, qsizetype from = 0) {
    return QTest::qWaitFor([&] { return recorded(record).mid(from).contains(line); }, 15000);
}

sockaddr_un addressOf(const fs::path &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// A connection to `path`, as this user or as "nobody" (root only); closed with the object.
struct RawPeer {
    explicit RawPeer(const fs::path &path, bool otherUser = false)
        : fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const sockaddr_un a = addressOf(path);
        const auto reach = [&] {
            return connect(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
        };
        if (!otherUser) {
            connected = reach();
            return;
        }
        // The peer's credentials are its effective user's; file system user 0 still
        // reaches the private folder.
        const pid_t child = fork();
        if (child == 0)
            _exit(syscall(SYS_setresuid, -1, 65534, -1) == 0 && syscall(SYS_setfsuid, 0) >= 0 &&
                          syscall(SYS_setfsuid, -1) == 0 && reach()
                      ? 0
                      : 1);
        int status = 0;
        connected =
            waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

// Applications/, home/, settings/ and a private runtime folder; the programs see only these.
class SingleInstance : public testing::Test {
protected:
    SingleInstance() { fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace); }

    QProcessEnvironment environment() const {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
        env.insert("HOME", q(home));
        env.insert("XDG_CONFIG_HOME", q(tree / "xdg-config"));
        env.insert("XDG_RUNTIME_DIR", q(runtime));
        env.insert("TMPDIR", q(tmp));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (bus)
            env.insert("DBUS_SESSION_BUS_ADDRESS", bus->address);
        return env;
    }
    QStringList folders() const { return {"--applications", q(applications), "--home", q(home)}; }
    // Where the window keeps its settings: the user's own on the bus, else --settings-dir.
    fs::path settingsFolder() const { return bus ? tree / "xdg-config/zembra" : settings; }

    // An application the watcher remembers as gone, under its identifier, in both settings.
    void rememberGone() {
        const fs::path bundle =
            tree.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor");
        TestSettings store;
        store.grantTree(tree, "home", false);
        ApplicationSnapshot snapshot{
            applications,
            {{Application(store).application(bundle), false, QDateTime::currentDateTimeUtc()}}};
        for (const fs::path &folder : {settings, tree / "xdg-config/zembra"}) {
            fs::create_directories(folder);
            ASSERT_TRUE(writeSnapshot(snapshotFile(q(folder)), snapshot));
        }
        fs::remove_all(bundle);
    }

    // The first launch, at home: owning a private bus's name, or with --settings-dir and no bus.
    void startWindow(bool onBus) {
        window.reset();
        bus.reset();
        fs::remove(record);
        settingsOption = onBus ? QStringList() : QStringList{"--settings-dir", q(settings)};
        if (onBus) {
            bus = std::make_unique<PrivateBus>();
            ASSERT_FALSE(bus->address.isEmpty());
        }
        window = std::make_unique<Program>(
            environment(), QStringList{"--record-screens", q(record)} + folders() + settingsOption);
        ASSERT_TRUE(waitForLine(record, "screen Home"));
        if (bus) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    return bus->connection().interface()->isServiceRegistered(kBusName).value();
                },
                15000))
                << "the running window does not answer on the bus";
        }
    }
    int launchCount() const {
        return platform::SettingsStore(q(settingsFolder()) + "/Uninstaller zembra.conf")
            .integerForKey("appLaunchCount");
    }
    // A later launch on the window's settings.
    std::unique_ptr<Program> later(const QStringList &arguments) {
        return std::make_unique<Program>(environment(), settingsOption + arguments);
    }
    fs::path socket() const {
        for (const auto &entry : fs::directory_iterator(runtime / "uninstaller-zembra"))
            if (entry.path().extension() == ".socket")
                return entry.path();
        return {};
    }
    // A later launch that asks for the removed applications is still answered.
    void expectStillAnswers() {
        const qsizetype from = recorded(record).size();
        const auto removed = later(folders() + QStringList{"--removed-applications"});
        EXPECT_EQ(removed->exitCode(), 0) << removed->process.readAll().data();
        EXPECT_TRUE(waitForLine(record, "screen RemovedApplications", from));
    }

    static inline const QString kBusName = "com.torvan.belquist.UninstallerZembra";
    TreeBuilder tree;
    fs::path applications = tree.dir("Applications"), home = tree.dir("home"),
             settings = tree.dir("settings"), runtime = tree.dir("run"), tmp = tree.dir("tmp"),
             other = tree.dir("other"), record = tree / "first.record";
    std::unique_ptr<PrivateBus> bus;
    QStringList settingsOption;
    std::unique_ptr<Program> window;
};

struct LaunchCase {
    const char *name;
    const char *arguments; // split at spaces; @apps, @home, @other, @root stand for those folders
    int status;
    const char *seen; // what the window records once it took the launch, or why it refused
};

// Refusals first: the window is still at home for them.
const LaunchCase kLaunches[] = {
    {"OtherHome", "--applications @apps --home @other --removed-applications", 1, "other folders"},
    {"WholeDiskAdded", "--applications @apps --home @home --root @root", 1, "other folders"},
    {"OtherApplications", "--applications @other --home @home", 1, "other folders"},
    {"UnknownRememberedKey", "--review-remembered=com.x.\x1b[2Jnone", 1,
     "no remembered application com.x.\\x1b[2Jnone"},
    {"Plain", "--applications @apps --home @home", 0, "raise"},
    {"PlainWithoutFolders", "", 0, "raise"},
    {"Review", "--applications @apps --home @home --review-remembered=com.vendor.editor", 0,
     "screen Remainder"},
    {"Removed", "--removed-applications", 0, "screen RemovedApplications"},
};

} // namespace

TEST_F(SingleInstance, LaterLaunchesAndDesktopCalls_ShownByTheRunningWindowOrRefusedWithTheReason) {
    rememberGone();
    for (const bool onBus : {false, true}) {
        SCOPED_TRACE(onBus ? "on the session bus" : "on the socket");
        startWindow(onBus);
        if (onBus) { // the desktop's own calls: the known ones are the later launches' below
            const QVariantMap launcher{{"desktop-startup-id", "launcher-1"}};
            // An unknown action, a key where none belongs, a key too long, a parameter that
            // is no text, another home folder, a document to open.
            const std::pair<QString, QVariantList> refused[] = {
                {"ActivateAction", {"delete-everything", QVariantList{}, launcher}},
                {"ActivateAction", {"removed-applications", QVariantList{"com.x"}, launcher}},
                {"ActivateAction",
                 {"review-remembered", QVariantList{QString(5000, 'a')}, launcher}},
                {"ActivateAction", {"review-remembered", QVariantList{42}, launcher}},
                {"Activate", {QVariantMap{{"zembra-home", QByteArray("/")}}}},
                {"Open", {QStringList{"file:///"}, launcher}},
            };
            for (const auto &[method, arguments] : refused) {
                QDBusMessage call = QDBusMessage::createMethodCall(
                    kBusName, "/com/torvan/belquist/UninstallerZembra",
                    "org.freedesktop.Application", method);
                call.setArguments(arguments);
                EXPECT_EQ(bus->connection().call(call, QDBus::Block, 10000).type(),
                          QDBusMessage::ErrorMessage)
                    << method.toStdString();
            }
            EXPECT_EQ(recorded(record), QStringList{"screen Home"});
        }
        for (const LaunchCase &c : kLaunches) {
            SCOPED_TRACE(c.name);
            QStringList arguments = QString(c.arguments).split(' ', Qt::SkipEmptyParts);
            for (auto [token, folder] : {std::pair{"@apps", applications},
                                         {"@home", home},
                                         {"@other", other},
                                         {"@root", tree.root()}})
                arguments.replaceInStrings(token, q(folder));
            const qsizetype from = recorded(record).size();
            const fs::path second = tree / "second.record";
            const auto launch = later(QStringList{"--record-screens", q(second)} + arguments);
            ASSERT_EQ(launch->exitCode(), c.status) << "still running: a window of its own";
            const QByteArray said = launch->process.readAll();
            if (c.status == 0) {
                EXPECT_TRUE(waitForLine(record, c.seen, from)) << said.data();
                EXPECT_TRUE(recorded(record).mid(from).contains("raise"));
            } else {
                EXPECT_TRUE(said.contains(c.seen)) << said.data();
                EXPECT_EQ(recorded(record).filter("screen "), QStringList{"screen Home"})
                    << "the running window moved";
            }
            EXPECT_FALSE(fs::exists(second)) << "the later launch showed a window";
        }
        EXPECT_TRUE(window->running());
        // Counted once the window is up, while it runs; no later launch counted.
        EXPECT_TRUE(QTest::qWaitFor([&] { return launchCount() == 1; }, 15000));
    }
}

TEST_F(SingleInstance, RunThatWasKilled_NextStartAnswers_OtherSettingsFolderOpensItsOwnWindow) {
    startWindow(false);
    window->process.kill(); // no clean-up: its socket file stays behind
    window->process.waitForFinished(5000);
    startWindow(false);
    expectStillAnswers();
    const QStringList before = recorded(record);
    const fs::path second = tree / "second.record";
    Program own(environment(),
                QStringList{"--record-screens", q(second), "--settings-dir",
                            q(tree.dir("other-settings")), "--removed-applications"} +
                    folders());
    EXPECT_TRUE(waitForLine(second, "screen RemovedApplications"));
    EXPECT_TRUE(own.running());
    EXPECT_EQ(recorded(record), before);
}

TEST_F(SingleInstance, RuntimeFolderOthersCanWrite_PrivateFolderInstead_ALinkThereNeverFollowed) {
    fs::permissions(runtime, fs::perms::all, fs::perm_options::replace);
    startWindow(false);
    EXPECT_TRUE(fs::is_empty(runtime)) << "something was put in a folder others can write";
    const fs::path own = tmp / ("uninstaller-zembra-" + std::to_string(geteuid()));
    struct stat st {};
    ASSERT_EQ(lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(later(folders())->exitCode(), 0);

    window.reset();
    fs::remove_all(own);
    fs::create_symlink(other, own);
    startWindow(false);
    EXPECT_TRUE(fs::is_empty(other));
    EXPECT_TRUE(window->process.readAll().contains("is not a private folder of this user"));
}

TEST_F(SingleInstance, Socket_BadForeignOrTooManyPeersTurnedAway_NothingSentToWhatIsNotIt) {
    startWindow(false);
    const struct {
        const char *name;
        QByteArray sent;
        bool otherUser;
        const char *answer; // in the one line answered; nullptr: hung up without an answer
    } cases[] = {
        {"not a request", "hello\n", false, "not a request"},
        {"unknown action", "{\"action\":\"delete-everything\"}\n", false, "refused"},
        {"over the bound", QByteArray(platform::kMaxMessageBytes + 1, 'a'), false, nullptr},
        {"over the bound, then an end", QByteArray(platform::kMaxMessageBytes + 1, 'a') + '\n',
         false, nullptr},
        {"another user's request",
         platform::encodeRequest({platform::kActionRemovedApplications, {}, {}}), true, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.otherUser && geteuid() != 0)
            continue; // only root can be another user
        const RawPeer peer(socket(), c.otherUser);
        ASSERT_TRUE(peer.connected);
        peer.send(c.sent);
        const auto received = peer.untilHungUp(10000);
        ASSERT_TRUE(received.has_value()) << "the window kept the connection open";
        if (c.answer)
            EXPECT_TRUE(received->endsWith('\n') && received->contains(c.answer))
                << received->data();
        else
            EXPECT_TRUE(received->isEmpty()) << received->data();
    }

    // Peers up to the limit hanging on: one more is turned away, and each hanging one is
    // dropped after its time.
    {
        std::vector<std::unique_ptr<RawPeer>> silent;
        for (int i = 0; i < 8; ++i)
            silent.push_back(std::make_unique<RawPeer>(socket()));
        EXPECT_EQ(RawPeer(socket()).untilHungUp(2000), QByteArray()) << "a flood held the window";
        EXPECT_FALSE(silent.back()->untilHungUp(500).has_value());
        EXPECT_EQ(silent.back()->untilHungUp(10000), QByteArray());
    }

    // Something else put where the window's socket is: a later launch sends nothing there.
    const fs::path path = socket(), aside = path.string() + ".aside", decoy = tree / "decoy.socket";
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_un address = addressOf(decoy);
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listening, 4), 0);
    for (const char *what : {"link to another socket", "link to the window's own socket",
                             "regular file", "another user's socket"}) {
        SCOPED_TRACE(what);
        const std::string_view w = what;
        if (w.starts_with("another user")) {
            if (geteuid() != 0)
                continue; // only root can give a file away
            ASSERT_EQ(lchown(path.c_str(), 65534, 65534), 0);
        } else {
            fs::rename(path, aside);
            if (w.starts_with("regular"))
                std::ofstream{path};
            else
                fs::create_symlink(w.ends_with("own socket") ? aside : decoy, path);
        }
        const auto launch = later(folders() + QStringList{"--removed-applications"});
        EXPECT_EQ(launch->exitCode(), 1);
        EXPECT_TRUE(launch->process.readAll().contains("is not the running program's socket"));
        const int reached = accept(listening, nullptr, nullptr);
        EXPECT_LT(reached, 0) << "the request went to another socket";
        close(reached);
        if (fs::exists(fs::symlink_status(aside))) {
            fs::remove(path);
            fs::rename(aside, path);
        } else {
            ASSERT_EQ(lchown(path.c_str(), geteuid(), getegid()), 0);
        }
    }
    close(listening);
    EXPECT_EQ(recorded(record), QStringList{"screen Home"});
    expectStillAnswers();
}

TEST(PidFile, LeftByAnotherRun_TakenOverHoldingExactlyThisProcesssPid) {
    for (const char *left : {"", "7\n", "4194304\n4194304\n", "99999999999999999999"}) {
        SCOPED_TRACE(left);
        TreeBuilder tree;
        const fs::path file = tree.file("run/instance.pid", left);
        const auto lock = platform::PidFile::acquire(file);
        ASSERT_TRUE(lock);
        EXPECT_EQ(readFile(file), std::to_string(getpid()) + "\n");
        EXPECT_EQ(platform::PidFile::holder(file), getpid());
    }
}

// --- The lines another process may send over the socket ---------------------------------

TEST(SocketMessage, Decoded_TakenOnlyWhenWellFormedAndBounded) {
    // A request line as another process may write it; folders in base64.
    const auto request = [](const char *action, const QByteArray &key = "",
                            const QByteArray &grants = "") {
        return "{\"action\":\"" + QByteArray(action) + "\",\"key\":\"" + key + "\",\"grants\":{" +
               grants + "}}";
    };
    const std::tuple<const char *, QByteArray, bool> cases[] = {
        {"activate", request(""), true},
        {"review", request("review-remembered", "com.vendor.editor"), true},
        {"removed with folders",
         request("removed-applications", "", R"("--home":"L1VzZXJzL21l","--root":"Lw==")"), true},
        {"unknown action", request("remove", "com.x"), false},
        {"review without key", request("review-remembered"), false},
        {"key where none belongs", request("removed-applications", "x"), false},
        {"key with NUL", request("review-remembered", "com.x\\u0000y"), false},
        {"key too long", request("review-remembered", QByteArray(platform::kMaxKeyLength + 1, 'k')),
         false},
        {"settings folder option",
         request("", "", R"("--settings-dir":"L1VzZXJzL21lL3NldHRpbmdz")"), false},
        {"relative folder", request("", "", R"("--home":"aG9tZQ==")"), false},
        {"folder with NUL", request("", "", R"("--home":"L2EAYg==")"), false},
        {"folder not base64", request("", "", R"("--home":"/a b!")"), false},
        {"folder not text", request("", "", R"("--home":7)"), false},
        {"action not text", R"({"action":1})", false},
        {"not an object", R"(["review-remembered"])", false},
        {"not JSON", "review-remembered com.x", false},
        {"oversized",
         request("review-remembered", "com.x",
                 "\"--home\":\"" + QByteArray(platform::kMaxMessageBytes, 'A') + "\""),
         false},
    };
    for (const auto &[name, line, taken] : cases) {
        SCOPED_TRACE(name);
        QString problem;
        EXPECT_EQ(platform::decodeRequest(line, &problem).has_value(), taken)
            << problem.toStdString();
        EXPECT_EQ(problem.isEmpty(), taken);
    }
}

TEST(ActivationRequest, EncodedAndDecoded_KeepsFolderBytesThatAreNotUtf8) {
    const platform::ActivationRequest sent{
        platform::kActionReviewRemembered,
        QStringLiteral("/Applications/\u00c9diteur.app"),
        {{"--home", "/home/caf\xe9"}, {"--applications", "/Applications"}}};
    const QByteArray line = platform::encodeRequest(sent);
    EXPECT_EQ(line.indexOf('\n'), line.size() - 1) << "one request is one line";
    QString problem;
    EXPECT_EQ(platform::decodeRequest(line.chopped(1), &problem), sent) << problem.toStdString();
    EXPECT_EQ(platform::decodeAnswer(platform::encodeAnswer({}).chopped(1)), QString());
    EXPECT_EQ(platform::decodeAnswer(platform::encodeAnswer(QStringLiteral("no")).chopped(1)),
              QStringLiteral("no"));
    EXPECT_FALSE(platform::decodeAnswer("{}").isEmpty())
        << "an answer that is not ours is no acceptance";
}

TEST(ProgramOptions, FolderOptions_TakenAsTheCommandLineTakesThem) {
    const auto o =
        parse({"--applications", "A", "--home", "H", "--root", "/", "--settings-dir", "S"});
    EXPECT_TRUE(o.error.isEmpty() && !o.removedApplications && o.reviewRemembered.isEmpty());
    EXPECT_EQ(o.grants, (std::map<std::string, std::string>{
                            {"--applications", "A"}, {"--home", "H"}, {"--root", "/"}}));
    EXPECT_EQ(o.settingsDir, QStringLiteral("S"));
    // The watcher's key is one argument, even one that looks like an option.
    const auto review = parse({"--review-remembered=--root"});
    EXPECT_EQ(review.reviewRemembered, QStringLiteral("--root"));
    EXPECT_TRUE(review.grants.empty());
    EXPECT_TRUE(parse({"--removed-applications"}).removedApplications);

    // An empty key, two screens at once, an unknown option, a folder missing, a stray word.
    for (const QStringList &refused :
         {QStringList{"--review-remembered="},
          QStringList{"--removed-applications", "--review-remembered=com.x"},
          QStringList{"--bogus"}, QStringList{"--home"}, QStringList{"stray"}})
        EXPECT_FALSE(parse(refused).error.isEmpty()) << refused.join(' ').toStdString();
}

// What the program says, and whether it ends (with which status) or shows its window.
TEST_F(SingleInstance, ProgramStarted_SaysWhyAndEndsOrKeepsRunning) {
    const QString dir = q(settings), linked = q(tree.link("linked", settings));
    const struct {
        QStringList arguments;
        std::optional<int> status; // nothing: it keeps running, home shown
        QByteArray said;
    } cases[] = {
        {{"--help"}, 0, "--settings-dir <DIR>"},
        {{"--version"}, 0, "Uninstaller zembra " ZEMBRA_VERSION},
        {{"--settings-dir", dir, "--home", dir + "/no such folder"}, 2, "--home: no folder at"},
        // Escaped as the command line escapes names.
        {{"--settings-dir", dir, "--review-remembered=a\x1b[2Jb\nc\u202e"},
         std::nullopt,
         "uninstaller-zembra: no remembered application a\\x1b[2Jb\\nc\\u202e\n"},
        {{"--settings-dir", linked, "--review-remembered=com.x.none"},
         std::nullopt,
         "/linked is a symbolic link: settings are kept for this run only\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said.toStdString());
        QProcessEnvironment env = environment();
        // Help and version are answered where no display could be opened at all.
        if (c.status == 0)
            env.insert("QT_QPA_PLATFORM", "xcb");
        Program program(env, c.arguments);
        QByteArray out;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (out += program.process.readAll()).contains(c.said); }, 20000))
            << out.toStdString();
        if (c.status)
            EXPECT_EQ(program.exitCode(), *c.status);
        else
            EXPECT_TRUE(program.running()) << "home is shown instead";
    }
}
