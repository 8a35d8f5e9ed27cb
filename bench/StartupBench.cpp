// Start to first paint of the desktop program on a generated folder of 500 applications,
// against a bare Qt window program (zembra-bench-bare-window) measured in the same run:
// the two are started in turn, N pairs, offscreen, each ending at its first paint
// (the desktop program through ZEMBRA_EXIT_AT_FIRST_PAINT). Prints the medians and the
// median of the per-pair ratio.
//
//   zembra-bench-startup [--runs N] [--program PATH] [--anchor PATH]
#include "AppTree.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `argv` to its end; the wall time in milliseconds, or -1 when it failed.
double timed(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    int runs = 15;
    std::string program = ZEMBRA_GUI_PROGRAM;
    std::string anchor = ZEMBRA_BARE_WINDOW;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--program"))
            program = argv[i + 1];
        else if (!std::strcmp(argv[i], "--anchor"))
            anchor = argv[i + 1];
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ZEMBRA_EXIT_AT_FIRST_PAINT", "1", 1);

    QTemporaryDir dir;
    const bench::fs::path root(dir.path().toStdString());
    bench::makeApplications(root / "Applications", 500, bench::makeIcns({32, 128, 512}));
    bench::fs::create_directories(root / "Users/bench");
    const std::vector<std::string> real = {program,
                                           "--settings-dir",
                                           (root / "settings").native(),
                                           "--applications",
                                           (root / "Applications").native(),
                                           "--home",
                                           (root / "Users/bench").native()};
    const std::vector<std::string> bare = {anchor};

    // One of each first: caches warm, the settings folder made.
    if (timed(real) < 0 || timed(bare) < 0) {
        std::fprintf(stderr, "zembra-bench-startup: a program did not start and end cleanly\n");
        return 1;
    }
    std::vector<double> realMs, bareMs, ratios;
    for (int r = 0; r < runs; ++r) {
        // Interleaved, the order alternating, so drifting load hits both alike.
        const bool realFirst = r % 2 == 0;
        const double a = realFirst ? timed(real) : timed(bare);
        const double b = realFirst ? timed(bare) : timed(real);
        const double realTime = realFirst ? a : b, bareTime = realFirst ? b : a;
        if (realTime < 0 || bareTime < 0) {
            std::fprintf(stderr, "zembra-bench-startup: run %d failed\n", r + 1);
            return 1;
        }
        realMs.push_back(realTime);
        bareMs.push_back(bareTime);
        ratios.push_back(realTime / bareTime);
    }
    std::printf("start to first paint, 500 applications, %d pairs (offscreen):\n", runs);
    std::printf("  desktop program: median %.1f ms\n", median(realMs));
    std::printf("  bare Qt window:  median %.1f ms\n", median(bareMs));
    std::printf("  ratio (median of pairs): %.2fx (target <= 1.5x)\n", median(ratios));
    return 0;
}
