// The deep find against the sorted walk it stands in for: the same entries in the same
// order, whether one thread reads or several, and nothing from behind a link or a mount.
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zembra::platform;
using zembra::test::TreeBuilder;

namespace {

struct Seen {
    std::string path;
    EntryType type;
    bool operator==(const Seen &) const = default;
};

void PrintTo(const Seen &s, std::ostream *os) {
    *os << testing::PrintToString(s.path) << "/" << int(s.type);
}

bool keepAll(std::string_view, EntryType) {
    return true;
}

std::vector<Seen> sorted(const fs::path &folder, EnumerationOptions options,
                         const KeepEntry &keep = keepAll) {
    std::vector<Seen> out;
    enumerateDeep(folder, options, [&](const VisitedEntry &e) {
        if (keep(e.name, e.type))
            out.push_back({std::string(e.path), e.type});
    });
    return out;
}

std::vector<Seen> found(const fs::path &folder, EnumerationOptions options, int threads,
                        const KeepEntry &keep = keepAll) {
    std::vector<Seen> out;
    for (const FoundEntry &e : findDeep(folder, options, keep, {}, threads)) {
        EXPECT_EQ(e.name(), fs::path(e.path).filename().native());
        out.push_back({e.path, e.type});
    }
    return out;
}

// Hundreds of folders, so the parallel walk takes its helpers, with names that sort
// around the separator, hostile bytes, packages, hidden folders and links.
struct OddTree : TreeBuilder {
    OddTree();
};

OddTree::OddTree() {
    TreeBuilder &t = *this;
    const std::string longName(255, 'n');
    const std::vector<std::string> odd = {"a",
                                          "a b",
                                          "a-",
                                          "a.app",
                                          "A",
                                          "a\nb",
                                          "tab\there",
                                          "\xff\xfe bad",
                                          "caf\xc3\xa9",
                                          longName,
                                          "Foo.framework",
                                          "x.plugin"};
    for (int i = 0; i < 20; ++i) {
        const std::string top = "R/top" + std::to_string(i % 7) + "/" + std::to_string(i);
        for (const std::string &name : odd) {
            t.file(top + "/" + name + "/inner/" + name);
            t.file(top + "/" + name + "/leaf");
        }
        t.file(top + "/.hidden/inside");
        t.link(top + "/link", t / "R/top0");
    }
    t.file("R/plain");
}

struct Walk {
    EnumerationOptions options;
    int threads;
};

class DeepFindOrder : public ::testing::TestWithParam<Walk> {};

TEST_P(DeepFindOrder, SameEntriesInTheSameOrderAsTheSortedWalk) {
    OddTree t;
    const auto [options, threads] = GetParam();
    const std::vector<Seen> all = sorted(t / "R", options);
    ASSERT_GT(all.size(), 500u);
    EXPECT_EQ(found(t / "R", options, threads), all);

    // Keeping a few: only those, still in walk order.
    const KeepEntry some = [](std::string_view name, EntryType) {
        return name.find('a') != std::string_view::npos ||
               name.find('\n') != std::string_view::npos;
    };
    const std::vector<Seen> kept = sorted(t / "R", options, some);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(found(t / "R", options, threads, some), kept);
    // Serial and parallel agree with each other too, names byte for byte.
    EXPECT_EQ(found(t / "R", options, 1, some), found(t / "R", options, threads, some));
}

INSTANTIATE_TEST_SUITE_P(
    SerialAndParallel, DeepFindOrder,
    ::testing::Values(Walk{EnumerationOptions::SkipHidden, 1},
                      Walk{EnumerationOptions::SkipHidden, 4},
                      Walk{EnumerationOptions::SkipHiddenAndPackageDescendants, 1},
                      Walk{EnumerationOptions::SkipHiddenAndPackageDescendants, 4},
                      Walk{EnumerationOptions::SkipHidden, 8}),
    [](const ::testing::TestParamInfo<Walk> &info) {
        return std::string(info.param.options == EnumerationOptions::SkipHidden ? "Packages"
                                                                                : "NoPackages") +
               "Threads" + std::to_string(info.param.threads);
    });

TEST(DeepFind, FolderLargerThanOneReadOfTheDirectory) {
    TreeBuilder t;
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i)
        names.push_back(std::string(200, char('a' + i % 26)) + std::to_string(i));
    for (const std::string &n : names)
        t.file("R/" + n);
    std::sort(names.begin(), names.end());
    std::vector<std::string> listed;
    for (const DirEntry &e : listDirectory(t / "R"))
        listed.push_back(e.name());
    EXPECT_EQ(listed, names);
    EXPECT_EQ(found(t / "R", EnumerationOptions::SkipHidden, 4).size(), names.size());
}

// A folder is swapped for a link to somewhere else after its name was read and before
// it is opened: nothing behind the link is delivered, by any walk.
class SwappedFolder : public ::testing::TestWithParam<int> {};

TEST_P(SwappedFolder, NothingBehindALinkThatReplacedAFolderDuringTheWalk) {
    TreeBuilder t;
    for (int i = 0; i < 60; ++i)
        t.file("R/filler" + std::to_string(i) + "/f");
    t.file("R/swap/own");
    t.file("Elsewhere/secret");
    std::atomic<int> swaps{0};
    const KeepEntry swapOnSight = [&](std::string_view name, EntryType type) {
        if (name == "swap" && type == EntryType::Directory) {
            fs::rename(t / "R/swap", t / "R/moved");
            fs::create_directory_symlink(t / "Elsewhere", t / "R/swap");
            ++swaps;
        }
        return true;
    };
    const int threads = GetParam();
    std::vector<Seen> seen;
    if (threads == 0) {
        seen = sorted(t / "R", EnumerationOptions::SkipHidden, swapOnSight);
    } else {
        seen = found(t / "R", EnumerationOptions::SkipHidden, threads, swapOnSight);
    }
    EXPECT_EQ(swaps, 1);
    for (const Seen &s : seen) {
        EXPECT_EQ(s.path.find("secret"), std::string::npos) << s.path;
        EXPECT_EQ(s.path.find("swap/"), std::string::npos) << s.path;
    }
    EXPECT_NE(std::find_if(seen.begin(), seen.end(),
                           [&](const Seen &s) { return s.path == (t / "R/swap").native(); }),
              seen.end());
}

// 0: the sorted walk; else the deep find with that many threads.
INSTANTIATE_TEST_SUITE_P(EveryWalk, SwappedFolder, ::testing::Values(0, 1, 4),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return info.param == 0 ? std::string("SortedWalk")
                                                    : "Threads" + std::to_string(info.param);
                         });

TEST(DeepFind, StopIsAskedOnTheCallingThreadOnlyAndEndsTheWalk) {
    OddTree t;
    const size_t all = found(t / "R", EnumerationOptions::SkipHidden, 4).size();
    for (int threads : {1, 4}) {
        const std::thread::id caller = std::this_thread::get_id();
        std::atomic<bool> elsewhere{false};
        int asked = 0;
        const std::function<bool()> stop = [&] {
            if (std::this_thread::get_id() != caller)
                elsewhere = true;
            return ++asked > 40;
        };
        // Helpers slowed down, so that a loaded machine cannot let them end the walk
        // before the caller has asked often enough to stop it.
        const KeepEntry slowHelpers = [&](std::string_view, EntryType) {
            if (std::this_thread::get_id() != caller)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        };
        const auto partial =
            findDeep(t / "R", EnumerationOptions::SkipHidden, slowHelpers, stop, threads);
        EXPECT_FALSE(elsewhere) << threads;
        EXPECT_LT(partial.size(), all) << threads;
        // What it found is a part of the whole, in the whole's order.
        const auto whole = findDeep(t / "R", EnumerationOptions::SkipHidden, keepAll, {}, 1);
        auto at = whole.begin();
        for (const FoundEntry &e : partial) {
            at = std::find_if(at, whole.end(),
                              [&](const FoundEntry &w) { return w.path == e.path; });
            ASSERT_NE(at, whole.end()) << e.path;
        }
        EXPECT_TRUE(
            findDeep(
                t / "R", EnumerationOptions::SkipHidden, keepAll, [] { return true; }, threads)
                .empty());
    }
}

TEST(DeepFind, NothingForWhatIsNoFolder) {
    TreeBuilder t;
    t.file("R/file");
    t.link("R/link", t / "R");
    for (const char *what : {"R/file", "R/link", "R/missing"})
        EXPECT_TRUE(found(t / what, EnumerationOptions::SkipHidden, 4).empty()) << what;
}

// Runs `check` in a child of its own mount namespace with a fresh file system mounted at
// `at`; skips where this system does not let a test mount.
void withMountAt(const fs::path &at, const std::function<bool()> &check) {
    const pid_t pid = fork();
    if (pid == 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWNS) != 0) {
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                _exit(77);
            const auto put = [](const char *file, const std::string &text) {
                const int fd = open(file, O_WRONLY);
                const bool ok =
                    fd >= 0 && write(fd, text.data(), text.size()) == ssize_t(text.size());
                if (fd >= 0)
                    close(fd);
                return ok;
            };
            if (!put("/proc/self/setgroups", "deny") ||
                !put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
                _exit(77);
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", at.c_str(), "tmpfs", 0, "size=1m") != 0)
            _exit(77);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "this system does not let a test mount a file system";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(DeepFind, AnotherFileSystemMountedBelowIsNotEntered) {
    TreeBuilder t;
    for (int i = 0; i < 60; ++i)
        t.file("R/filler" + std::to_string(i) + "/f");
    t.dir("R/mnt");
    t.file("R/z/own", "1234");
    const std::uint64_t before = itemSize(t / "R");
    withMountAt(t / "R/mnt", [&] {
        if (!(std::ofstream(t / "R/mnt/foreign") << "0123456789"))
            return false;
        const std::string mnt = (t / "R/mnt").native();
        const auto clean = [&](const std::vector<Seen> &seen) {
            bool point = false;
            for (const Seen &s : seen) {
                if (s.path.rfind(mnt + "/", 0) == 0)
                    return false;
                point = point || s.path == mnt;
            }
            return point;
        };
        return clean(sorted(t / "R", EnumerationOptions::SkipHidden)) &&
               clean(found(t / "R", EnumerationOptions::SkipHidden, 1)) &&
               clean(found(t / "R", EnumerationOptions::SkipHidden, 4)) &&
               itemSize(t / "R") == before;
    });
}

} // namespace
