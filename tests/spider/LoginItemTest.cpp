// The watcher's login item on Linux: the XDG autostart entry, and the watcher it starts
// and stops through the pid file.

#include "platform/LoginItem.h"
#include "platform/PidFile.h"
#include "platform/Trash.h"
#include "platform/linux/AutostartLoginItem.h"
#include "spider/SpiderProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zembra;
using namespace zembra::test;

static volatile sig_atomic_t g_askedToEnd = 0;

// Switching the watcher off must not keep the preferences waiting for it to end. The
// watcher here lingers two seconds once asked, unless the test has looked before: a
// switch that waits for its end (as it once did, for up to three seconds) sees it gone,
// and a busy machine has two seconds, not one, to return from the switch. Its pid file
// was left behind by a process that died: our own pid in it, but nobody held the lock.
TEST(AutostartEntry, SwitchedOff_ReturnsBeforeASlowWatcherEnds_WhichThenEnds) {
    TreeBuilder tree;
    const fs::path pidFile = tree.file("w.pid", std::to_string(getpid()) + "\n");
    EXPECT_FALSE(platform::PidFile::holder(pidFile));
    EXPECT_TRUE(platform::PidFile::stopHolder(pidFile, 100))
        << "nothing to stop, nothing signalled";
    int release[2];
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGTERM, [](int) { g_askedToEnd = 1; });
        const auto held = platform::PidFile::acquire(pidFile);
        for (int i = 0; held && !g_askedToEnd; ++i)
            if (i == 2000)
                _exit(2); // never asked
            else
                usleep(10 * 1000);
        pollfd released{release[0], POLLIN, 0};
        poll(&released, 1, 2 * 1000);
        _exit(held ? 0 : 1);
    }
    ASSERT_TRUE(waitUntil([&] { return platform::PidFile::holder(pidFile) == child; }));
    EXPECT_FALSE(platform::PidFile::acquire(pidFile)) << "one holder at a time";
    auto item = platform::makeWatcherLoginItem({QStringLiteral("/bin/false"), {}, pidFile, {}});

    EXPECT_TRUE(item->setEnabled(false));
    EXPECT_TRUE(platform::PidFile::holder(pidFile))
        << "switching off waited for the watcher to end";
    ASSERT_EQ(write(release[1], "x", 1), 1);
    EXPECT_TRUE(waitUntil([&] { return !platform::PidFile::holder(pidFile); }, 15000))
        << "the watcher was not asked to end";
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the watcher was never asked";
    close(release[0]);
    close(release[1]);
}

TEST(AutostartEntry, ExecLine_QuotesWhatTheDesktopFormatReserves) {
    // Quoted, with " ` $ \ escaped inside, the backslashes doubled again for the key
    // file, and a percent sign doubled.
    EXPECT_EQ(platform::execLine(QStringLiteral("/a b/spider"),
                                 {QStringLiteral("$x\"y\\z"), QStringLiteral("50%")}),
              QStringLiteral("\"/a b/spider\" \"\\\\$x\\\\\"y\\\\\\\\z\" 50%%"));
    EXPECT_EQ(platform::execLine(QStringLiteral("/s"), {QString()}), QStringLiteral("/s \"\""));
    // A newline would start a key of its own: such a command is not written at all.
    EXPECT_FALSE(platform::execLine(QStringLiteral("/s"), {QStringLiteral("a\nHidden=true")}));
}

TEST(AutostartEntry, SwitchedOnAndOff_EntryAndWatcherComeAndGo) {
    WatchedTree t;
    const fs::path pidFile = platform::watcherPidFile(t.settingsFolder);
    // The folders granted for this run only reach the watcher started now, never the entry.
    auto item = platform::makeWatcherLoginItem(
        {QStringLiteral(ZEMBRA_SPIDER_PATH),
         {QStringLiteral("--settings-dir"), t.settingsFolder},
         pidFile,
         {QStringLiteral("--applications"), QString::fromStdString(t.applications.native()),
          QStringLiteral("--home"), QString::fromStdString(t.home.native())}});
    const fs::path entry = platform::autostartEntryFile(platform::kWatcherIdentifier).toStdString();
    EXPECT_EQ(entry.filename(), "com.Torvan.Belquist.Uninstaller-zembra-Spider.desktop");

    ASSERT_TRUE(item->setEnabled(true));
    const std::string text = readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(
        text.find("\nExec=" ZEMBRA_SPIDER_PATH " --settings-dir " + t.settings.native() + "\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("--applications"), std::string::npos) << text;
    ASSERT_TRUE(waitUntil([&] { return platform::PidFile::holder(pidFile).has_value(); }))
        << "the watcher did not start";
    const long pid = *platform::PidFile::holder(pidFile);
    ASSERT_TRUE(item->setEnabled(true));
    EXPECT_EQ(platform::PidFile::holder(pidFile), pid) << "switched on again: the same watcher";

    ASSERT_TRUE(item->setEnabled(false));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(pidFile); }))
        << "the watcher did not end cleanly, taking its pid file along";
    EXPECT_TRUE(item->setEnabled(false)) << "switching off twice is fine";
}

TEST(TrashFolder, GivenHome_KeepsItsOwnTrash_TheUsersHomeFollowsXdgDataHome) {
    TreeBuilder tree;
    const fs::path home = qEnvironmentVariable("HOME").toStdString();
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((tree / "data").native()));
    EXPECT_EQ(platform::trashFilesFolder(tree / "demo-home"),
              tree / "demo-home/.local/share/Trash/files");
    EXPECT_EQ(platform::trashFilesFolder(home), tree / "data/Trash/files");
    qputenv("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(platform::trashFilesFolder(home), home / ".local/share/Trash/files");
    qputenv("XDG_DATA_HOME", data);
}
