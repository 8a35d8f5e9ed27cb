#include "platform/RunningApplications.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

using namespace zembra::platform;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

TEST(RunningApplications, ProcessInsideABundleCarriesItsIdentifier)
{
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
            if (a.pid == pid && a.bundleIdentifier == QStringLiteral("com.example.runner") && a.executable == exe)
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

TEST(RunningApplications, InnermostBundleEnclosesTheExecutable)
{
    TreeBuilder t;
    t.app("Main.app", "com.x.main");
    const auto helper = t.app("Main.app/Contents/Library/LoginItems/Helper.app", "com.x.helper");
    EXPECT_EQ(enclosingApplicationBundle(helper / "Contents/MacOS/Helper"), helper);
    EXPECT_EQ(enclosingApplicationBundle(t / "Main.app/Contents/MacOS/Main"), t / "Main.app");
    EXPECT_FALSE(enclosingApplicationBundle("/usr/bin/sleep"));
}
