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
        selfHasNone = selfHasNone || (a.pid == getpid() && !a.bundleIdentifier);
    EXPECT_TRUE(selfHasNone);
    // The innermost bundle encloses an executable.
    const auto helper = t.app("Runner.app/Contents/Library/LoginItems/Helper.app", "com.x.helper");
    EXPECT_EQ(enclosingApplicationBundle(helper / "Contents/MacOS/Helper"), helper);
    EXPECT_EQ(enclosingApplicationBundle(exe), t / "Runner.app");
    EXPECT_FALSE(enclosingApplicationBundle("/usr/bin/sleep"));
}

TEST(RunningApplications, ExecutablePath_ANameEndingInDeletedKeptWhole_ADeletedFileLosesTheMark) {
    TreeBuilder t;
    const fs::path odd =
        t.app("Runner.app", "com.example.runner") / "Contents/MacOS/Runner (deleted)";
    EXPECT_EQ(listed(odd).value_or(RunningApplication{}).executable, odd);
    const fs::path gone = t / "Runner.app/Contents/MacOS/Gone";
    EXPECT_EQ(listed(gone, [&] { fs::remove(gone); }).value_or(RunningApplication{}).executable,
              gone);
}
