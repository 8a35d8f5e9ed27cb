// The settings folder's files never written, truncated or deleted through a link nor waited
// on as a FIFO; the settings file rewritten only for a change, once for a whole batch.
#include "catalogue/ApplicationSnapshot.h"
#include "leftovers/RemovalMarks.h"
#include "platform/PidFile.h"
#include "platform/SettingsStore.h"
#include "support/TreeBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace zembra;
using zembra::platform::SettingsStore;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

fs::path fifo(TreeBuilder &t, const std::string &relative) {
    const fs::path path = t.dir(fs::path(relative).parent_path()) / fs::path(relative).filename();
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

// The file is replaced whole on every rewrite: a new inode says it was written.
ino_t inodeOf(const QString &path) {
    struct stat st {};
    return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
}

// The file's own text, as another process reads it (a QSettings of this process would
// share the store's unwritten values).
QByteArray fileText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(SettingsFolder,
     StoreSnapshotPidFileAndMarksThroughLinkOrFifo_NeitherWrittenThroughNorWaitedOn) {
    TreeBuilder t;
    const auto outside = t.file("elsewhere/precious.txt", "precious");
    const auto file = t.link("settings/Uninstaller zembra.conf", outside);
    SettingsStore store(QString::fromStdString(file.native()));
    store.setInteger(QStringLiteral("appLaunchCount"), 3);
    EXPECT_EQ(store.integerForKey(QStringLiteral("appLaunchCount")), 3) << "kept for the run";
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(store.problem().value_or("").contains(QStringLiteral("symbolic link")));

    const ApplicationSnapshot snapshot;
    const auto linked = t.link("s/remembered-applications.json", outside);
    EXPECT_FALSE(writeSnapshot(linked, snapshot));
    EXPECT_TRUE(readSnapshot(linked).applications.empty());
    const auto folderLink = t.link("linked-settings", t.dir("elsewhere/settings"));
    EXPECT_FALSE(writeSnapshot(folderLink / "remembered-applications.json", snapshot));
    EXPECT_TRUE(fs::is_empty(t / "elsewhere/settings"));
    std::string problem;
    EXPECT_FALSE(platform::PidFile::acquire(t.link("s/zembra-spider.pid", outside), &problem));
    EXPECT_EQ(problem, "its pid file is a symbolic link");

    const auto snapshotPipe = fifo(t, "f/remembered-applications.json");
    const auto pidPipe = fifo(t, "f/zembra-spider.pid");
    EXPECT_TRUE(finishesWithoutWaiting(
        snapshotPipe, [&] { EXPECT_TRUE(readSnapshot(snapshotPipe).applications.empty()); }));
    EXPECT_TRUE(finishesWithoutWaiting(pidPipe, [&] {
        EXPECT_FALSE(platform::PidFile::holder(pidPipe));
        EXPECT_TRUE(platform::PidFile::stopHolder(pidPipe, 100));
        EXPECT_FALSE(platform::PidFile::acquire(pidPipe, &problem));
    }));
    EXPECT_EQ(problem, "its pid file is not a regular file");

    for (const std::string pipe : {"s.conf", "s.conf.lock"}) {
        SCOPED_TRACE(pipe);
        std::optional<QString> said;
        EXPECT_TRUE(finishesWithoutWaiting(fifo(t, pipe + "/" + pipe), [&] {
            SettingsStore store(QString::fromStdString((t / pipe / "s.conf").native()));
            store.setInteger(QStringLiteral("k"), 1);
            said = store.problem();
        }));
        EXPECT_TRUE(said && said->contains(QStringLiteral("not a regular file")));
    }

    SCOPED_TRACE("removal marks");
    ApplicationItem item;
    item.setBundle(QStringLiteral("com.vendor.editor"));
    const QString settings = QString::fromStdString((t / "s").native());
    const QDateTime later = QDateTime::currentDateTimeUtc().addDays(1);

    // The marks' folder is a link to a folder of the user's with old "*.mark" files.
    const auto foreign = t.file("marks/notes.mark", "mine");
    t.link("s/removed-by-zembra", foreign.parent_path());
    EXPECT_FALSE(leftovers::markRemoval(item, settings));
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.other"), settings, later));
    EXPECT_EQ(test::readFile(foreign), "mine");
    EXPECT_EQ(test::entryCount(foreign.parent_path()), 1u);

    // A mark that is a link to a file elsewhere: never written through, never taken for a mark.
    fs::remove(t / "s/removed-by-zembra");
    ASSERT_TRUE(leftovers::markRemoval(item, settings));
    const fs::path mark = fs::directory_iterator(leftovers::removalMarksFolder(settings))->path();
    fs::remove(mark);
    fs::create_symlink(outside, mark);
    EXPECT_FALSE(leftovers::markRemoval(item, settings));
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.editor"), settings, later));
    EXPECT_EQ(test::readFile(outside), "precious");
}

TEST(SettingsFolder, FolderChecked_ProblemNamed) {
    enum Made { Nothing, PlainFiles, File, LinkToFile, LinkToFolder, Fifo };
    const struct {
        const char *name, *folder, *entry;
        Made made;
        const char *problem; // "" when the folder is usable
    } cases[] = {
        {"Missing_MadeAndUsable", "config/zembra", "", Nothing, ""},
        {"PlainFiles_Usable", "s", "", PlainFiles, ""},
        {"FolderIsALink", "s", "s", LinkToFolder, "is a symbolic link"},
        {"FolderIsAFile", "s", "s", File, "is not a folder"},
        {"FolderNameWithNewline_ShownEscaped", "s\nfake", "s\nfake", File,
         "s\\nfake is not a folder"},
        {"SnapshotIsALink", "s", "s/remembered-applications.json", LinkToFile,
         "remembered-applications.json in the settings folder"},
        {"PidFileIsAFifo", "s", "s/zembra-spider.pid", Fifo,
         "zembra-spider.pid in the settings folder"},
        {"MarksFolderIsALink", "s", "s/removed-by-zembra", LinkToFolder,
         "removed-by-zembra in the settings folder"},
        {"MarkIsALink", "s", "s/removed-by-zembra/a.mark", LinkToFile,
         "removed-by-zembra/a.mark in the settings folder"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TreeBuilder t;
        if (c.made == PlainFiles)
            t.entries({"s/Uninstaller zembra.conf", "s/removed-by-zembra/a.mark"});
        else if (c.made == File)
            t.file(c.entry);
        else if (c.made == LinkToFile || c.made == LinkToFolder)
            t.link(c.entry, c.made == LinkToFile ? t.file("elsewhere/x") : t.dir("elsewhere"));
        else if (c.made == Fifo)
            fifo(t, c.entry);
        SettingsStore::setFolder(QString::fromStdString((t / c.folder).native()));
        const auto problem = SettingsStore::folderProblem();
        EXPECT_TRUE(*c.problem ? problem && problem->contains(QString::fromUtf8(c.problem))
                               : !problem)
            << problem.value_or("no problem").toStdString();
    }
    SettingsStore::setFolder({});
}

// Every test program runs in a temporary home: the stores and marks of code that is
// given no folder land there, never in the user's configuration folder.
TEST(SettingsFolder, TestsRunInATemporaryHome) {
    SettingsStore::setFolder({});
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_TRUE(home.startsWith(QDir::tempPath() + QLatin1Char('/'))) << home.toStdString();
    EXPECT_TRUE(SettingsStore::folder().startsWith(home + QLatin1Char('/')))
        << SettingsStore::folder().toStdString();
}

TEST(SettingsWrites,
     SameValueNotRewritten_ABatchWritesOnceAtItsEnd_EvenWithAnEventLoop_NeverViaALink) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.conf"));
    const auto setBoth = [](SettingsStore &store) {
        store.setInteger(QStringLiteral("sheet"), 0);
        store.setData(QStringLiteral("blob"), QByteArray("\xff\x01", 2));
    };
    {
        SettingsStore first(file);
        setBoth(first);
    }
    SettingsStore store(file); // read back from disk, as at the next start
    const ino_t written = inodeOf(file);
    setBoth(store);
    store.remove(QStringLiteral("never-there"));
    EXPECT_EQ(inodeOf(file), written) << "nothing changed, nothing written";

    // Bytes that read the same as lossy text are still different bytes.
    store.setData(QStringLiteral("blob"), QByteArray("\xfe\x01", 2));
    EXPECT_NE(inodeOf(file), written);
    EXPECT_EQ(SettingsStore(file).dataForKey(QStringLiteral("blob")), QByteArray("\xfe\x01", 2));
    // Every change is in the file when the call returns (another process reads it).
    store.setInteger(QStringLiteral("sheet"), 1);
    EXPECT_TRUE(fileText(file).contains("sheet=1"));
    store.remove(QStringLiteral("sheet"));
    EXPECT_FALSE(fileText(file).contains("sheet="));

    // A batch: its writes read back at once, on disk together at the end of the outer one.
    store.setInteger(QStringLiteral("appLaunchCount"), 4);
    {
        SettingsStore::WriteBatch batch(store);
        {
            SettingsStore::WriteBatch inner(store);
            store.setInteger(QStringLiteral("appLaunchCount"), 5);
        }
        store.setInteger(QStringLiteral("sheet"), 0);
        store.setInteger(QStringLiteral("PresentAsSheet"), 1);
        EXPECT_EQ(store.integerForKey(QStringLiteral("appLaunchCount")), 5);
        EXPECT_TRUE(fileText(file).contains("appLaunchCount=4")) << "held until the outer end";
    }
    for (const char *line : {"appLaunchCount=5", "sheet=0", "PresentAsSheet=1"})
        EXPECT_TRUE(fileText(file).contains(line)) << line;
    // A batch that changed nothing writes nothing.
    const ino_t batched = inodeOf(file);
    { SettingsStore::WriteBatch batch(store); }
    EXPECT_EQ(inodeOf(file), batched);

    SCOPED_TRACE("a batch held through the event loop; never written through a link");
    int argc = 1;
    char name[] = "tests", *argv[] = {name, nullptr};
    QCoreApplication loop(argc, argv); // QSettings writes on its own only where one runs
    const QString heldFile = dir.filePath(QStringLiteral("held.conf")),
                  elsewhere = dir.filePath(QStringLiteral("elsewhere.conf"));
    SettingsStore held(heldFile);
    held.setInteger(QStringLiteral("sheet"), 0);
    {
        SettingsStore::WriteBatch batch(held);
        held.setInteger(QStringLiteral("sheet"), 1);
        // What QSettings would write on its own at the next turn of the event loop.
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(fileText(heldFile).contains("sheet=0")) << "written while held";
    }
    EXPECT_TRUE(fileText(heldFile).contains("sheet=1"));
    {
        SettingsStore::WriteBatch batch(held);
        held.setInteger(QStringLiteral("sheet"), 2);
        ASSERT_TRUE(QFile::rename(heldFile, elsewhere));
        ASSERT_TRUE(QFile::link(elsewhere, heldFile));
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_TRUE(fileText(elsewhere).contains("sheet=1")) << "written through the link";
    EXPECT_TRUE(held.problem().has_value());
    EXPECT_EQ(held.integerForKey(QStringLiteral("sheet")), 2) << "kept for this run";
}

// A writer killed between making the lock file and writing its pid there left it empty:
// the next write does not wait the 30 s until it counts as stale.
TEST(SettingsWrites, EmptyLockLeftByAKilledWriter_NextWriteDoesNotWaitOnIt) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.conf"));
    const fs::path lock = QFile::encodeName(file + QLatin1String(".lock")).toStdString();
    std::ofstream{lock};
    fs::last_write_time(lock, fs::file_time_type::clock::now() - std::chrono::seconds(5));
    auto written = std::async(std::launch::async,
                              [&] { SettingsStore(file).setInteger(QStringLiteral("k"), 1); });
    ASSERT_EQ(written.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the write waits on an abandoned lock";
    EXPECT_EQ(SettingsStore(file).integerForKey(QStringLiteral("k")), 1);
}
