// The leftover search gives the same rows whether its deep folders are read by one thread
// or several, and stops when cancelled.
#include "catalogue/Application.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

struct Rows {
    std::vector<std::string> files;
    std::vector<SizeEntry> sizes;
    std::vector<bool> weak;
};

// Resets the process's walk threads whatever a test does.
struct WalkThreads {
    explicit WalkThreads(int n) { platform::setDeepFindThreads(n); }
    ~WalkThreads() { platform::setDeepFindThreads(0); }
};

class ParallelWalkSearch : public ::testing::Test {
protected:
    void SetUp() override {
        s.grantTree(t, "Users/me", true);
        const std::string lib = "Users/me/Library/";
        // Many folders in every deep pass, matches at every depth, hostile names among them.
        for (int i = 0; i < 30; ++i) {
            const std::string n = std::to_string(i);
            t.file(lib + "Application Support/Product " + n + "/Data/Editor cache " + n);
            t.file(lib + "Application Support/Product " + n + "/com.vendor.editor." + n + "/x");
            t.file(lib + "Application Support/Product " + n + "/Helper.app/Contents/Editor.log");
            t.file(lib + "Logs/Service " + n + "/Editor\n" + n + ".log");
            t.file(lib + "Logs/Service " + n + "/Editor \xff" + n + "/inner/Editor.txt");
            t.file(lib + "Logs/Service " + n + "/plain/file");
            t.file("Library/Logs/Daemon " + n + "/com.vendor.editor.log");
            t.file("var/folders/z" + n + "/T/com.vendor.editor/" + n);
            t.file("var/db/receipts/other." + n + "/Editor.bom");
        }
        t.file(lib + "Application Support/Editor/settings.json", "0123456789");
        t.link(lib + "Logs/Editor linked", t / "Users/me/Library/Application Support/Editor");
    }

    Rows search(int threads, const std::function<bool()> &cancelled = {}) {
        const WalkThreads walk(threads);
        const auto app = Application(s).application(
            t.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor"));
        searchLeftovers(*app, s, SearchMode::Review, cancelled);
        Rows rows;
        for (const FileEntry &f : app->files())
            rows.files.push_back(f.isFileURL() ? f.path().native()
                                               : "#" + f.absoluteString().toStdString());
        rows.sizes = app->sizes();
        return rows;
    }

    TreeBuilder t;
    TestSettings s;
};

TEST_F(ParallelWalkSearch, SameRowsInTheSameOrderAsTheSerialWalk) {
    const Rows serial = search(1);
    ASSERT_GT(serial.files.size(), 150u);
    for (int threads : {2, 4, 8}) {
        const Rows parallel = search(threads);
        EXPECT_EQ(parallel.files, serial.files) << threads;
        EXPECT_EQ(parallel.sizes, serial.sizes) << threads;
    }
    // Nothing through the link, nothing inside the package.
    for (const std::string &f : serial.files) {
        EXPECT_EQ(f.find("Editor linked/"), std::string::npos) << f;
        EXPECT_EQ(f.find("Helper.app/"), std::string::npos) << f;
    }
}

TEST_F(ParallelWalkSearch, CancelledInsideADeepWalkEndsTheSearchAsCancelled) {
    for (int threads : {1, 4}) {
        std::atomic<int> asked{0};
        std::atomic<bool> elsewhere{false};
        const auto caller = std::this_thread::get_id();
        const WalkThreads walk(threads);
        const auto app = Application(s).application(
            t.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor"));
        // True from the tenth question on: inside the first deep walk. The question is
        // put on the searching thread only (a screen's cancel check need not be
        // thread-safe).
        const SearchResult result = searchLeftovers(*app, s, SearchMode::Review, [&] {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            return ++asked > 10;
        });
        EXPECT_TRUE(result.cancelled) << threads;
        EXPECT_FALSE(elsewhere) << threads;
        EXPECT_TRUE(app->sizes().empty()) << threads;
    }
}

} // namespace
