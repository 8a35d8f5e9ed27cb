#include "platform/RunningApplications.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

using namespace zembra::platform;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

TEST(RunningApplications, ProcessInsideABundleCarriesItsIdentifier) {
    TreeBuilder t;
    const auto app = t.app("Runner.app", "com.example.runner");
    const fs::path exe = app / "Contents/MacOS/Runner";
    fs::create_directories(exe.parent_path());
    fs::copy_file("/bin/sleep", exe);
    fs::permissions(exe, fs::perms(0755));

    pid_t pid = 0;
    char arg0[] = "Runner", arg1[] = "30";
    char *argv[] = {arg0, arg1, nullptr};
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ), 0);

    bool seen = false;
    for (int attempt = 0; attempt < 50 && !seen; ++attempt) {
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid && a.bundleIdentifier == QStringLiteral("com.example.runner") &&
                a.executable == exe)
                seen = true;
        if (!seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(seen);

    bool selfHasNone = false;
    for (const RunningApplication &a : runningApplications())
        if (a.pid == getpid())
            selfHasNone = !a.bundleIdentifier;
    EXPECT_TRUE(selfHasNone);
}

TEST(RunningApplications, InnermostBundleEnclosesTheExecutable) {
    TreeBuilder t;
    t.app("Main.app", "com.x.main");
    const auto helper = t.app("Main.app/Contents/Library/LoginItems/Helper.app", "com.x.helper");
    EXPECT_EQ(enclosingApplicationBundle(helper / "Contents/MacOS/Helper"), helper);
    EXPECT_EQ(enclosingApplicationBundle(t / "Main.app/Contents/MacOS/Main"), t / "Main.app");
    EXPECT_FALSE(enclosingApplicationBundle("/usr/bin/sleep"));
}

namespace {

// Starts `exe` (a copy of sleep), waits until the process list shows it, and returns what
// the list says its executable is; the process is ended before returning.
std::optional<fs::path> listedExecutable(const fs::path &exe,
                                         const std::function<void()> &whileRunning = {}) {
    fs::create_directories(exe.parent_path());
    fs::copy_file("/bin/sleep", exe);
    fs::permissions(exe, fs::perms(0755));
    pid_t pid = 0;
    char arg0[] = "sleeper", arg1[] = "30";
    char *argv[] = {arg0, arg1, nullptr};
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0)
        return std::nullopt;
    std::optional<fs::path> listed;
    for (int attempt = 0; attempt < 50 && !listed; ++attempt) {
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid && !a.executable.empty() && a.executable.filename() != "sleep")
                listed = a.executable;
        if (!listed)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (listed && whileRunning) {
        whileRunning();
        listed.reset();
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid)
                listed = a.executable;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return listed;
}

} // namespace

TEST(RunningApplications, ExecutablePath_ANameEndingInDeletedKeptWhole_ADeletedFileLosesTheMark) {
    TreeBuilder t;
    const auto app = t.app("Runner.app", "com.example.runner");
    const fs::path odd = app / "Contents/MacOS/Runner (deleted)";
    EXPECT_EQ(listedExecutable(odd), odd);

    const fs::path gone = app / "Contents/MacOS/Gone";
    EXPECT_EQ(listedExecutable(gone, [&] { fs::remove(gone); }), gone);
}
