// When the settings file is rewritten: not for a write that changes nothing stored, and
// once for all the writes a batch holds (start-up).
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using zembra::platform::SettingsStore;

namespace {

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

// QSettings writes on its own only where an event loop runs.
struct EventLoop {
    int argc = 1;
    char name[6] = "tests";
    char *argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

} // namespace

TEST(SettingsWrites, SameValueAgain_FileNotRewritten_OtherValueIs) {
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
}

TEST(SettingsWrites, Batch_WritesReadBackAtOnce_OnDiskTogetherAtItsEnd) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.conf"));
    SettingsStore store(file);
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
        EXPECT_TRUE(fileText(file).contains("appLaunchCount=4"))
            << "held until the outer batch ends";
        EXPECT_FALSE(fileText(file).contains("PresentAsSheet"));
    }
    const QByteArray text = fileText(file);
    EXPECT_TRUE(text.contains("appLaunchCount=5"));
    EXPECT_TRUE(text.contains("sheet=0"));
    EXPECT_TRUE(text.contains("PresentAsSheet=1"));

    // A batch that changed nothing writes nothing.
    const ino_t written = inodeOf(file);
    { SettingsStore::WriteBatch batch(store); }
    EXPECT_EQ(inodeOf(file), written);
}

TEST(SettingsWrites, Batch_HeldThroughTheEventLoop_NeverWrittenThroughALinkThatReplacedTheFile) {
    EventLoop loop;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.conf"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.conf"));
    SettingsStore store(file);
    store.setInteger(QStringLiteral("sheet"), 0);
    {
        SettingsStore::WriteBatch batch(store);
        store.setInteger(QStringLiteral("sheet"), 1);
        // What QSettings would write on its own at the next turn of the event loop.
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(fileText(file).contains("sheet=0")) << "written while held";
    }
    EXPECT_TRUE(fileText(file).contains("sheet=1"));
    {
        SettingsStore::WriteBatch batch(store);
        store.setInteger(QStringLiteral("sheet"), 2);
        ASSERT_TRUE(QFile::rename(file, elsewhere));
        ASSERT_TRUE(QFile::link(elsewhere, file));
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_TRUE(fileText(elsewhere).contains("sheet=1")) << "written through the link";
    EXPECT_TRUE(store.problem().has_value());
    EXPECT_EQ(store.integerForKey(QStringLiteral("sheet")), 2) << "kept for this run";
}
