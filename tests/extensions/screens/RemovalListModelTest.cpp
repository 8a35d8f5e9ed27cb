#include "extensions/screens/RemovalListModel.h"

#include <gtest/gtest.h>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class RemovalList : public ::testing::Test {
protected:
    const fs::path item = "/h/Library/Address Book Plug-Ins/Sync.bundle";
    const fs::path folder = "/h/Library/Application Support/Sync";
    const fs::path inside = "/h/Library/Application Support/Sync/keep.db";
    const fs::path log = "/h/Library/Logs/Sync.log";
    const std::vector<FileEntry> files{FileEntry::word(QStringLiteral("Executables")),
                                       FileEntry::file(item),
                                       FileEntry::word(QStringLiteral("Supportfiles")),
                                       FileEntry::file(folder),
                                       FileEntry::file(inside),
                                       FileEntry::word(QStringLiteral("Logs")),
                                       FileEntry::file(log),
                                       FileEntry::word(QStringLiteral("Plugins")),
                                       FileEntry::file(item)};
    const std::vector<SizeEntry> sizes{SizeEntry::marker(QStringLiteral("Executables")),
                                       SizeEntry::bytes(1000),
                                       SizeEntry::marker(QStringLiteral("Supportfiles")),
                                       SizeEntry::bytes(500),
                                       SizeEntry::bytes(200),
                                       SizeEntry::marker(QStringLiteral("Logs")),
                                       SizeEntry::bytes(30),
                                       SizeEntry::marker(QStringLiteral("Plugins")),
                                       SizeEntry::bytes(1000)};

    static void setTick(RemovalListModel &m, int row, bool ticked) {
        ASSERT_TRUE(
            m.setData(m.index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
    }
    static bool ticked(const RemovalListModel &m, int row) {
        return m.index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }
};

} // namespace

TEST_F(RemovalList, AllTicked_EveryPathOnce_SizesCountedOnce) {
    RemovalListModel m(files, sizes, item, {});
    EXPECT_TRUE(m.isGroupRow(0));
    EXPECT_EQ(m.index(2, 0).data().toString(), QStringLiteral("Support files"));
    EXPECT_EQ(m.tickedBytes(), 1730u);
    // The item found twice is deleted once: a second deletion would only fail.
    EXPECT_EQ(m.tickedFiles(), (std::vector<FileEntry>{files[0], files[1], files[2], files[3],
                                                       files[4], files[5], files[6]}));
}

TEST_F(RemovalList, KeptEntry_KeepsTheListedFolderHoldingIt_FromTheStartToo_EmptyGroupsLeftOut) {
    RemovalListModel m(files, sizes, item, {});
    setTick(m, 4, false);       // keep.db
    EXPECT_FALSE(ticked(m, 3)); // its folder is kept too, visibly
    setTick(m, 6, false);       // the log
    EXPECT_EQ(m.tickedFiles(), (std::vector<FileEntry>{files[0], files[1]}));
    EXPECT_EQ(m.tickedBytes(), 1000u);
    // Ticking the folder again takes what lies inside with it.
    setTick(m, 3, true);
    EXPECT_TRUE(ticked(m, 4));

    // An entry that starts unticked keeps its folder from the start.
    RemovalListModel fresh(files, sizes, item, [&](const fs::path &p) { return p != inside; });
    EXPECT_FALSE(ticked(fresh, 4));
    EXPECT_FALSE(ticked(fresh, 3));
    EXPECT_TRUE(ticked(fresh, 6));
}

TEST_F(RemovalList, ItemItself_AlwaysTicked_NotCheckable) {
    RemovalListModel m(files, sizes, item, [](const fs::path &) { return false; });
    EXPECT_TRUE(ticked(m, 1));
    EXPECT_TRUE(ticked(m, 8));
    EXPECT_FALSE(m.flags(m.index(1, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(m.setData(m.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(m.tickedFiles(), (std::vector<FileEntry>{files[0], files[1]}));
}

TEST_F(RemovalList, ForgedNames_ShownWithVisibleEscapes) {
    const fs::path forged = "/h/Library/Logs/a\r\x1b[2Kb\nFake.log";
    const fs::path bidi = "/h/Library/Logs/x\u202egol.exe";
    const std::vector<FileEntry> entries{FileEntry::word(QStringLiteral("Logs")),
                                         FileEntry::file(forged), FileEntry::file(bidi)};
    RemovalListModel m(entries, {}, item, {});
    EXPECT_EQ(m.index(1, 0).data().toString(),
              QStringLiteral("/h/Library/Logs/a\\r\\x1b[2Kb\\nFake.log"));
    EXPECT_EQ(m.index(2, 0).data().toString(), QStringLiteral("/h/Library/Logs/x\\u202egol.exe"));
    // What is deleted is the path as it is on disk.
    EXPECT_EQ(m.tickedFiles()[1].path(), forged);
}
