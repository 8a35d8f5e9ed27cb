// Start to first paint of the desktop program on a generated folder of 500 applications,
// against two anchors measured in the same run: a bare Qt window (zembra-bench-bare-window)
// and the same window showing one line of text (zembra-bench-bare-window --text), which
// pays for the fonts as any window with words must. The three are started in turn, N
// rounds, the order rotating, offscreen, each ending at its first paint (the desktop
// program through ZEMBRA_EXIT_AT_FIRST_PAINT). Prints the medians and the medians of the
// per-round ratios: the program to the bare window (the headline, with its target), the
// program to the labelled window, and the labelled window to the bare one.
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

#include <pwd.h>
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
    // The home is named after the user, as a real one is: any other name is not taken as
    // the home grant, and every start would open on the access sheet.
    const passwd *user = getpwuid(getuid());
    const bench::fs::path home = root / "Users" / (user ? user->pw_name : "bench");
    bench::fs::create_directories(home);
    const std::vector<std::string> real = {program,
                                           "--settings-dir",
                                           (root / "settings").native(),
                                           "--applications",
                                           (root / "Applications").native(),
                                           "--home",
                                           home.native()};
    const std::vector<std::string> commands[] = {real, {anchor}, {anchor, "--text"}};
    enum { Real, Bare, Text };

    // One of each first: caches warm, the settings folder made.
    for (const auto &command : commands)
        if (timed(command) < 0) {
            std::fprintf(stderr, "zembra-bench-startup: %s did not start and end cleanly\n",
                         command[0].c_str());
            return 1;
        }
    std::vector<double> ms[3], toBare, toText, textToBare;
    for (int r = 0; r < runs; ++r) {
        // Interleaved, the order rotating, so drifting load hits all three alike.
        double t[3];
        for (int k = 0; k < 3; ++k) {
            const int which = (r + k) % 3;
            t[which] = timed(commands[which]);
            if (t[which] < 0) {
                std::fprintf(stderr, "zembra-bench-startup: round %d failed\n", r + 1);
                return 1;
            }
        }
        for (int k = 0; k < 3; ++k)
            ms[k].push_back(t[k]);
        toBare.push_back(t[Real] / t[Bare]);
        toText.push_back(t[Real] / t[Text]);
        textToBare.push_back(t[Text] / t[Bare]);
    }
    std::printf("start to first paint, 500 applications, %d rounds (offscreen):\n", runs);
    std::printf("  desktop program:           median %.1f ms\n", median(ms[Real]));
    std::printf("  bare Qt window:            median %.1f ms\n", median(ms[Bare]));
    std::printf("  bare window with a label:  median %.1f ms\n", median(ms[Text]));
    std::printf("  ratio to the bare window (median of rounds): %.2fx (target <= 1.5x)\n",
                median(toBare));
    std::printf("  ratio to the labelled window:                %.2fx\n", median(toText));
    std::printf("  labelled window to the bare window:          %.2fx\n", median(textToBare));
    return 0;
}
