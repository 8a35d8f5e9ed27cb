// The deep find delivers what the sorted walk does, in its order, with any number of threads,
// and nothing from behind a link or a mount (nor deleted from there).
#include "platform/DeletionScope.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace zembra::platform;
using zembra::test::TreeBuilder;

namespace {

using Seen = std::pair<std::string, EntryType>;
constexpr auto kHidden = EnumerationOptions::SkipHidden;

bool keepAll(std::string_view, EntryType) {
    return true;
}

// What a walk delivers that `keep` accepts: the sorted walk for 0 threads, else the deep find.
std::vector<Seen> walked(const fs::path &folder, EnumerationOptions options, int threads,
                         const KeepEntry &keep = keepAll) {
    std::vector<Seen> out;
    if (threads == 0)
        enumerateDeep(folder, options, [&](const VisitedEntry &e) {
            if (keep(e.name, e.type))
                out.emplace_back(std::string(e.path), e.type);
        });
    for (const FoundEntry &e :
         threads ? findDeep(folder, options, keep, {}, threads) : std::vector<FoundEntry>()) {
        EXPECT_EQ(e.name(), fs::path(e.path).filename().native());
        out.emplace_back(e.path, e.type);
    }
    return out;
}

// Hundreds of folders, so the parallel walk takes its helpers, with names that sort
// around the separator, hostile bytes, packages, hidden folders and links.
struct OddTree : TreeBuilder {
    OddTree() {
        std::vector<std::string> odd = {"a",           "a b",           "a-",        "a.app",
                                        "A",           "a\nb",          "tab\there", "\xff\xfe bad",
                                        "caf\xc3\xa9", "Foo.framework", "x.plugin"};
        odd.push_back(std::string(255, 'n'));
        for (int i = 0; i < 20; ++i) {
            const std::string top = "R/top" + std::to_string(i % 7) + "/" + std::to_string(i);
            for (const std::string &name : odd)
                entries({top + "/" + name + "/inner/" + name, top + "/" + name + "/leaf"});
            file(top + "/.hidden/inside");
            link(top + "/link", *this / "R/top0");
        }
        file("R/plain");
    }
};

} // namespace

TEST(DeepFind, SameEntriesInTheSameOrderAsTheSortedWalk_SerialAndParallel) {
    OddTree t;
    const KeepEntry some = [](std::string_view name, EntryType) {
        return name.find('a') != std::string_view::npos ||
               name.find('\n') != std::string_view::npos;
    };
    for (const auto options : {kHidden, EnumerationOptions::SkipHiddenAndPackageDescendants})
        for (const int threads : {1, 4, 8}) {
            SCOPED_TRACE(std::to_string(int(options)) + " threads " + std::to_string(threads));
            const std::vector<Seen> all = walked(t / "R", options, 0);
            ASSERT_GT(all.size(), 500u);
            EXPECT_EQ(walked(t / "R", options, threads), all);
            // Keeping a few: only those, still in walk order, names byte for byte.
            const std::vector<Seen> kept = walked(t / "R", options, 0, some);
            ASSERT_FALSE(kept.empty());
            EXPECT_EQ(walked(t / "R", options, threads, some), kept);
        }
}

TEST(DeepFind, FolderLargerThanOneReadOfTheDirectory_NothingForWhatIsNoFolder) {
    TreeBuilder t;
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i)
        t.file("R/" + names.emplace_back(std::string(200, char('a' + i % 26)) + std::to_string(i)));
    std::sort(names.begin(), names.end());
    std::vector<std::string> listed;
    for (const DirEntry &e : listDirectory(t / "R"))
        listed.push_back(e.name());
    EXPECT_EQ(listed, names);
    EXPECT_EQ(walked(t / "R", kHidden, 4).size(), names.size());
    // Nothing for what is no folder.
    t.link("R/link", t / "R");
    for (const fs::path &what : {t / "R" / names[0], t / "R/link", t / "R/missing"})
        EXPECT_TRUE(walked(what, kHidden, 4).empty()) << what;
}

// A folder is swapped for a link to somewhere else after its name was read and before
// it is opened: nothing behind the link is delivered, by any walk (0: the sorted walk).
TEST(DeepFind, NothingBehindALinkThatReplacedAFolderDuringTheWalk) {
    for (const int threads : {0, 1, 4}) {
        SCOPED_TRACE(threads);
        TreeBuilder t;
        for (int i = 0; i < 60; ++i) // so that a parallel walk is under way when "swap" comes
            t.file("R/filler" + std::to_string(i) + "/f");
        t.entries({"R/swap/own", "Elsewhere/secret"});
        std::atomic<int> swaps{0};
        const KeepEntry swapOnSight = [&](std::string_view name, EntryType type) {
            if (name == "swap" && type == EntryType::Directory) {
                fs::rename(t / "R/swap", t / "R/moved");
                fs::create_directory_symlink(t / "Elsewhere", t / "R/swap");
                ++swaps;
            }
            return true;
        };
        const std::vector<Seen> seen = walked(t / "R", kHidden, threads, swapOnSight);
        EXPECT_EQ(swaps, 1);
        bool swapSeen = false;
        for (const auto &[path, type] : seen) {
            EXPECT_EQ(path.find("secret"), std::string::npos) << path;
            EXPECT_EQ(path.find("swap/"), std::string::npos) << path;
            swapSeen = swapSeen || path == (t / "R/swap").native();
        }
        EXPECT_TRUE(swapSeen);
    }
}

TEST(DeepFind, StopIsAskedOnTheCallingThreadOnlyAndEndsTheWalk) {
    OddTree t;
    const auto whole = findDeep(t / "R", kHidden, keepAll, {}, 1);
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
        const auto partial = findDeep(t / "R", kHidden, slowHelpers, stop, threads);
        EXPECT_FALSE(elsewhere) << threads;
        EXPECT_LT(partial.size(), whole.size()) << threads;
        // What it found is a part of the whole, in the whole's order.
        auto at = whole.begin();
        for (const FoundEntry &e : partial) {
            at = std::find_if(at, whole.end(),
                              [&](const FoundEntry &w) { return w.path == e.path; });
            ASSERT_NE(at, whole.end()) << e.path;
        }
        const std::function<bool()> atOnce = [] { return true; };
        EXPECT_TRUE(findDeep(t / "R", kHidden, keepAll, atOnce, threads).empty());
    }
}

// /dev/shm, a file system of its own below /dev: a walk of /dev neither delivers nor counts a
// file there, a removal from a root on /dev does not enter it (from one on /dev/shm it does).
TEST(AnotherFileSystemBelow, NeitherWalkedIntoNorDeletedFrom) {
    struct stat dev {
    }, shm{};
    if (stat("/dev", &dev) != 0 || stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system below /dev here";
    QTemporaryDir foreign(QStringLiteral("/dev/shm/zembra-walk-XXXXXX"));
    const fs::path folder = foreign.path().toStdString(), huge = folder / "sub/huge";
    if (!foreign.isValid() || !fs::create_directory(folder / "sub") || !std::ofstream(huge))
        GTEST_SKIP() << "cannot write to /dev/shm";
    fs::resize_file(huge, std::uint64_t(1) << 40);
    for (const int threads : {0, 1, 4}) {
        SCOPED_TRACE(threads);
        bool point = false;
        for (const auto &[path, type] : walked("/dev", kHidden, threads)) {
            EXPECT_NE(path.rfind("/dev/shm/", 0), 0u) << path;
            point = point || path == "/dev/shm";
        }
        EXPECT_TRUE(point);
    }
    EXPECT_LT(itemSize("/dev"), std::uint64_t(1) << 40);

    DeletionScope scope, above;
    ASSERT_TRUE(scope.addFolder("/dev"));
    EXPECT_TRUE(scope.allows(folder / "sub"));
    EXPECT_FALSE(scope.remove(folder / "sub"));
    EXPECT_FALSE(scope.remove(folder));
    EXPECT_TRUE(itemExists(huge));
    ASSERT_TRUE(above.addFolder(folder));
    EXPECT_TRUE(above.remove(folder / "sub"));
}
