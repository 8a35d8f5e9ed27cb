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

namespace {

// Starts `exe` (a copy of sleep), waits until the process list shows it, and returns its
// entry there (read again after `whileRunning` when given); the process is ended before
// returning.
std::optional<RunningApplication> listed(const fs::path &exe,
                                         const std::function<void()> &whileRunning = {}) {
    fs::create_directories(exe.parent_path());
    fs::copy_file("/bin/sleep", exe);
    fs::permissions(exe, fs::perms(0755));
    pid_t pid = 0;
    char arg0[] = "sleeper", arg1[] = "30";
    char *argv[] = {arg0, arg1, nullptr};
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0)
        return std::nullopt;
    std::optional<RunningApplication> entry;
    for (int attempt = 0; attempt < 50 && !entry; ++attempt) {
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid && !a.executable.empty() && a.executable.filename() != "sleep")
                entry = a;
        if (!entry)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (entry && whileRunning) {
        whileRunning();
        entry.reset();
        for (const RunningApplication &a : runningApplications())
            if (a.pid == pid)
                entry = a;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return entry;
}

std::optional<fs::path> listedExecutable(const fs::path &exe,
                                         const std::function<void()> &whileRunning = {}) {
    const auto entry = listed(exe, whileRunning);
    return entry ? std::optional<fs::path>(entry->executable) : std::nullopt;
}

} // namespace

TEST(RunningApplications, ProcessInsideABundleCarriesItsIdentifier_OthersNone) {
    TreeBuilder t;
    const fs::path exe = t.app("Runner.app", "com.example.runner") / "Contents/MacOS/Runner";
    const auto entry = listed(exe);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->executable, exe);
    EXPECT_EQ(entry->bundleIdentifier, QStringLiteral("com.example.runner"));
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

TEST(RunningApplications, ExecutablePath_ANameEndingInDeletedKeptWhole_ADeletedFileLosesTheMark) {
    TreeBuilder t;
    const auto app = t.app("Runner.app", "com.example.runner");
    const fs::path odd = app / "Contents/MacOS/Runner (deleted)";
    EXPECT_EQ(listedExecutable(odd), odd);

    const fs::path gone = app / "Contents/MacOS/Gone";
    EXPECT_EQ(listedExecutable(gone, [&] { fs::remove(gone); }), gone);
}
