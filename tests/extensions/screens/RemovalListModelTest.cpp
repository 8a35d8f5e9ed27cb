#include "extensions/screens/RemovalListModel.h"

#include <gtest/gtest.h>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class RemovalList : public ::testing::Test {
protected:
    static FileEntry w(const char *marker) { return FileEntry::word(QString::fromLatin1(marker)); }
    static FileEntry f(const fs::path &path) { return FileEntry::file(path); }
    static SizeEntry m(const char *marker) {
        return SizeEntry::marker(QString::fromLatin1(marker));
    }
    static SizeEntry b(std::uint64_t n) { return SizeEntry::bytes(n); }
    static void setTick(RemovalListModel &m, int row, bool ticked) {
        ASSERT_TRUE(
            m.setData(m.index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
    }
    static bool ticked(const RemovalListModel &m, int row) {
        return m.index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    }
    std::vector<FileEntry> firstOf(size_t n) const { return {files.begin(), files.begin() + n}; }

    const fs::path item = "/h/Library/Address Book Plug-Ins/Sync.bundle",
                   folder = "/h/Library/Application Support/Sync", inside = folder / "keep.db",
                   log = "/h/Library/Logs/Sync.log";
    // The item is found twice.
    const std::vector<FileEntry> files{w("Executables"), f(item),      w("Supportfiles"),
                                       f(folder),        f(inside),    w("Logs"),
                                       f(log),           w("Plugins"), f(item)};
    const std::vector<SizeEntry> sizes{m("Executables"), b(1000), m("Supportfiles"), b(500), b(200),
                                       m("Logs"),        b(30),   m("Plugins"),      b(1000)};
};

} // namespace

// The item found twice is deleted once (a second deletion would only fail) and counted once;
// it is always ticked, even where every other row starts unticked.
TEST_F(RemovalList, EveryPathOnce_SizesCountedOnce_ItemItselfAlwaysTicked) {
    RemovalListModel m(files, sizes, item, {});
    EXPECT_TRUE(m.isGroupRow(0));
    EXPECT_EQ(m.index(2, 0).data().toString(), QStringLiteral("Support files"));
    EXPECT_EQ(m.tickedBytes(), 1730u);
    EXPECT_EQ(m.tickedFiles(), firstOf(7));

    RemovalListModel none(files, sizes, item, [](const fs::path &) { return false; });
    EXPECT_TRUE(ticked(none, 1));
    EXPECT_TRUE(ticked(none, 8));
    EXPECT_FALSE(none.flags(none.index(1, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(none.setData(none.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(none.tickedFiles(), firstOf(2));
}

TEST_F(RemovalList, KeptEntry_KeepsTheListedFolderHoldingIt_FromTheStartToo_EmptyGroupsLeftOut) {
    RemovalListModel m(files, sizes, item, {});
    setTick(m, 4, false);       // keep.db
    EXPECT_FALSE(ticked(m, 3)); // its folder is kept too, visibly
    setTick(m, 6, false);       // the log
    EXPECT_EQ(m.tickedFiles(), firstOf(2));
    EXPECT_EQ(m.tickedBytes(), 1000u);
    // Ticking the folder again takes what lies inside with it.
    setTick(m, 3, true);
    EXPECT_TRUE(ticked(m, 4));

    RemovalListModel fresh(files, sizes, item, [&](const fs::path &p) { return p != inside; });
    EXPECT_FALSE(ticked(fresh, 4));
    EXPECT_FALSE(ticked(fresh, 3));
    EXPECT_TRUE(ticked(fresh, 6));
}

TEST_F(RemovalList, ForgedNames_ShownWithVisibleEscapes_DeletedAsTheyAre) {
    const fs::path forged = "/h/Library/Logs/a\r\x1b[2Kb\nFake.log";
    const fs::path bidi = "/h/Library/Logs/x\u202egol.exe";
    RemovalListModel m(
        {FileEntry::word(QStringLiteral("Logs")), FileEntry::file(forged), FileEntry::file(bidi)},
        {}, item, {});
    EXPECT_EQ(m.index(1, 0).data().toString(),
              QStringLiteral("/h/Library/Logs/a\\r\\x1b[2Kb\\nFake.log"));
    EXPECT_EQ(m.index(2, 0).data().toString(), QStringLiteral("/h/Library/Logs/x\\u202egol.exe"));
    EXPECT_EQ(m.tickedFiles()[1].path(), forged);
}
