// The settings folder against links and FIFOs: the stores, the watcher's snapshot and pid
// file and the removal marks never write, truncate or delete through a link, and never
// wait on a FIFO; a folder that cannot be used is named with the reason.
#include "catalogue/ApplicationSnapshot.h"
#include "leftovers/RemovalMarks.h"
#include "platform/PidFile.h"
#include "platform/SettingsStore.h"
#include "support/CaseName.h"
#include "support/TreeBuilder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace zembra;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

fs::path fifo(TreeBuilder &t, const std::string &relative) {
    const fs::path path = t / relative;
    fs::create_directories(path.parent_path());
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
}

// Runs `work`; false when it was still waiting on `pipe` after a few seconds (it is then
// let go by a writer opening the FIFO, so that the test ends either way).
bool finishesWithoutWaiting(const fs::path &pipe, const std::function<void()> &work) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return true;
    const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        close(fd);
    done.wait();
    return false;
}

ApplicationSnapshot oneApplication() {
    ApplicationSnapshot snapshot;
    snapshot.applicationsFolder = "/Applications";
    RememberedApplication r;
    r.item = std::make_shared<ApplicationItem>();
    r.item->setBundle(QStringLiteral("com.vendor.editor"));
    snapshot.applications.push_back(r);
    return snapshot;
}

} // namespace

TEST(SettingsFolder, StoreFileIsALink_TargetUntouched_ValuesKeptForTheRun) {
    TreeBuilder t;
    const auto outside = t.file("elsewhere/precious.txt", "precious");
    const auto file = t.link("settings/Uninstaller zembra.conf", outside);
    platform::SettingsStore store(QString::fromStdString(file.native()));
    store.setInteger(QStringLiteral("appLaunchCount"), 3);
    store.synchronize();
    EXPECT_EQ(store.integerForKey(QStringLiteral("appLaunchCount")), 3);
    EXPECT_EQ(test::readFile(outside), "precious");
    EXPECT_TRUE(fs::is_symlink(file));
    ASSERT_TRUE(store.problem());
    EXPECT_TRUE(store.problem()->contains(QStringLiteral("symbolic link")))
        << store.problem()->toStdString();
}

TEST(SettingsFolder, StoreFileOrItsLockAFifo_NeverWaitedOn) {
    for (const char *name : {"settings/s.conf", "settings/s.conf.lock"}) {
        SCOPED_TRACE(name);
        TreeBuilder t;
        const auto pipe = fifo(t, name);
        std::optional<QString> problem;
        EXPECT_TRUE(finishesWithoutWaiting(pipe, [&] {
            platform::SettingsStore store(QString::fromStdString((t / "settings/s.conf").native()));
            store.setInteger(QStringLiteral("k"), 1);
            problem = store.problem();
        }));
        ASSERT_TRUE(problem);
        EXPECT_TRUE(problem->contains(QStringLiteral("not a regular file")))
            << problem->toStdString();
    }
}

namespace {

struct FolderCase {
    const char *name;
    std::function<fs::path(TreeBuilder &)> build; // returns the settings folder
    const char *problem;                          // "" when the folder is usable
};
ZEMBRA_PRINT_CASE_BY_NAME(FolderCase)

class SettingsFolderChecked : public ::testing::TestWithParam<FolderCase> {
protected:
    void TearDown() override { platform::SettingsStore::setFolder({}); }
};

} // namespace

TEST_P(SettingsFolderChecked, ProblemNamed) {
    TreeBuilder t;
    platform::SettingsStore::setFolder(QString::fromStdString(GetParam().build(t).native()));
    const auto problem = platform::SettingsStore::folderProblem();
    if (!*GetParam().problem) {
        EXPECT_FALSE(problem) << problem->toStdString();
        return;
    }
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains(QString::fromUtf8(GetParam().problem))) << problem->toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    SettingsFolder, SettingsFolderChecked,
    ::testing::Values(
        FolderCase{"Missing_MadeAndUsable", [](TreeBuilder &t) { return t / "config/zembra"; }, ""},
        FolderCase{"PlainFiles_Usable",
                   [](TreeBuilder &t) {
                       t.file("s/Uninstaller zembra.conf");
                       t.file("s/removed-by-zembra/a.mark");
                       return t / "s";
                   },
                   ""},
        FolderCase{"FolderIsALink", [](TreeBuilder &t) { return t.link("s", t.dir("elsewhere")); },
                   "is a symbolic link"},
        FolderCase{"FolderIsAFile", [](TreeBuilder &t) { return t.file("s"); }, "is not a folder"},
        FolderCase{"FolderNameWithNewline_ShownEscaped",
                   [](TreeBuilder &t) { return t.file("s\nfake"); }, "s\\nfake is not a folder"},
        FolderCase{"SnapshotIsALink",
                   [](TreeBuilder &t) {
                       t.link("s/remembered-applications.json", t.file("elsewhere/x"));
                       return t / "s";
                   },
                   "remembered-applications.json in the settings folder"},
        FolderCase{"PidFileIsAFifo",
                   [](TreeBuilder &t) {
                       fifo(t, "s/zembra-spider.pid");
                       return t / "s";
                   },
                   "zembra-spider.pid in the settings folder"},
        FolderCase{"MarksFolderIsALink",
                   [](TreeBuilder &t) {
                       t.link("s/removed-by-zembra", t.dir("elsewhere"));
                       return t / "s";
                   },
                   "removed-by-zembra in the settings folder"},
        FolderCase{"MarkIsALink",
                   [](TreeBuilder &t) {
                       t.link("s/removed-by-zembra/a.mark", t.file("elsewhere/x"));
                       return t / "s";
                   },
                   "removed-by-zembra/a.mark in the settings folder"}),
    zembra::test::CaseName());

TEST(SettingsFolder, SnapshotThroughLinkOrFifo_NeitherWrittenThroughNorWaitedOn) {
    TreeBuilder t;
    const auto outside = t.file("elsewhere/precious.json", "precious");
    const auto linked = t.link("s/remembered-applications.json", outside);
    EXPECT_FALSE(writeSnapshot(linked, oneApplication()));
    EXPECT_EQ(test::readFile(outside), "precious");
    EXPECT_TRUE(readSnapshot(linked).applications.empty());

    const auto folderLink = t.link("linked-settings", t.dir("elsewhere/settings"));
    EXPECT_FALSE(writeSnapshot(folderLink / "remembered-applications.json", oneApplication()));
    EXPECT_TRUE(fs::is_empty(t / "elsewhere/settings"));

    const auto pipe = fifo(t, "f/remembered-applications.json");
    EXPECT_TRUE(finishesWithoutWaiting(
        pipe, [&] { EXPECT_TRUE(readSnapshot(pipe).applications.empty()); }));
    fs::create_directories(t / "plain");
    ASSERT_TRUE(writeSnapshot(t / "plain/remembered-applications.json", oneApplication()));
    EXPECT_EQ(readSnapshot(t / "plain/remembered-applications.json").applications.size(), 1u);
}

TEST(SettingsFolder, RemovalMarksThroughLinks_ForeignFilesNeitherWrittenNorDeleted) {
    TreeBuilder t;
    ApplicationItem item;
    item.setBundle(QStringLiteral("com.vendor.editor"));
    const QString settings = QString::fromStdString((t / "s").native());
    const QDateTime later = QDateTime::currentDateTimeUtc().addDays(1);

    // The marks' folder is a link to a folder of the user's with old "*.mark" files.
    const auto foreign = t.file("elsewhere/notes.mark", "mine");
    t.link("s/removed-by-zembra", foreign.parent_path());
    EXPECT_FALSE(leftovers::markRemoval(item, settings));
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.other"), settings, later));
    EXPECT_EQ(test::readFile(foreign), "mine");
    EXPECT_EQ(test::entryCount(foreign.parent_path()), 1u);

    // A mark that is a link to a file elsewhere: never written through, never taken for a mark.
    fs::remove(t / "s/removed-by-zembra");
    ASSERT_TRUE(leftovers::markRemoval(item, settings));
    const fs::path marks = leftovers::removalMarksFolder(settings);
    const fs::path mark = fs::directory_iterator(marks)->path();
    fs::remove(mark);
    const auto outside = t.file("elsewhere/precious.txt", "precious");
    fs::create_symlink(outside, mark);
    EXPECT_FALSE(leftovers::markRemoval(item, settings));
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.editor"), settings, later));
    EXPECT_EQ(test::readFile(outside), "precious");
}

TEST(SettingsFolder, PidFileALinkOrFifo_SaidSo_NeverWaitedOn) {
    TreeBuilder t;
    const auto outside = t.file("elsewhere/precious.txt", "precious");
    const auto linked = t.link("s/zembra-spider.pid", outside);
    std::string problem;
    EXPECT_FALSE(platform::PidFile::acquire(linked, &problem));
    EXPECT_EQ(problem, "its pid file is a symbolic link");
    EXPECT_EQ(test::readFile(outside), "precious");

    const auto pipe = fifo(t, "f/zembra-spider.pid");
    EXPECT_TRUE(finishesWithoutWaiting(pipe, [&] {
        EXPECT_FALSE(platform::PidFile::holder(pipe));
        EXPECT_TRUE(platform::PidFile::stopHolder(pipe, 100));
        EXPECT_FALSE(platform::PidFile::acquire(pipe, &problem));
    }));
    EXPECT_EQ(problem, "its pid file is not a regular file");
}

// Every test program runs in a temporary home: the stores and marks of code that is
// given no folder land there, never in the user's configuration folder.
TEST(SettingsFolder, TestsRunInATemporaryHome) {
    platform::SettingsStore::setFolder({});
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_TRUE(home.startsWith(QDir::tempPath() + QLatin1Char('/'))) << home.toStdString();
    EXPECT_TRUE(platform::SettingsStore::folder().startsWith(home + QLatin1Char('/')))
        << platform::SettingsStore::folder().toStdString();
}
