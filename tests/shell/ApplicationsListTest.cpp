#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/screens/ApplicationsRowView.h"
#include "platform/Workspace.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <fstream>

using namespace zembra;
using zembra::test::GuiTest;
namespace fs = std::filesystem;

namespace {

// An .icns file holding one 32-pixel PNG picture.
void writeIcns(const fs::path &file, QColor colour) {
    fs::create_directories(file.parent_path());
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto be32 = [](quint32 v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray entry = QByteArray("ic11") + be32(8 + png.size()) + png;
    const QByteArray icns = QByteArray("icns") + be32(8 + entry.size()) + entry;
    std::ofstream(file, std::ios::binary).write(icns.constData(), icns.size());
}

class ApplicationsList : public GuiTest {
protected:
    ApplicationsList() {
        grantBoth();
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad",
                 "AppIcon.icns");
        writeIcns(tree / "Applications/Sketchpad.app/Contents/Resources/AppIcon.icns", Qt::red);
        tree.app("Applications/Safari.app", "com.example.safari");
        tree.app("Applications/Café.app", "com.example.cafe");
        tree.app("Applications/Notes.app", "com.example.notes");
    }
    void open() {
        window();
        post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
    }
    QStringList rows() const { return zembra::test::labels(list->model()); }
    void type(const QString &text) { find<QLineEdit>(screen(), "search_field")->setText(text); }
    void select(const QString &label) {
        const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, label,
                                                1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const QRect r = list->visualRect(found.front());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString item() const {
        const auto i = delegate->state().item();
        return i && i->label() ? *i->label() : QString();
    }
    QAbstractButton *next() { return find<QAbstractButton>(screen(), "switch_next"); }

    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsList, Filter_CaseAndDiacriticsIgnored) {
    open();
    const QStringList all = {"Café", "Notes", "Safari", "Sketchpad"};
    EXPECT_EQ(rows(), all);
    type("saf");
    EXPECT_EQ(rows(), QStringList{"Safari"});
    type("SAF");
    EXPECT_EQ(rows(), QStringList{"Safari"});
    type("cafe");
    EXPECT_EQ(rows(), QStringList{"Café"});
    type("zzz");
    EXPECT_TRUE(rows().isEmpty());
    type("");
    EXPECT_EQ(rows(), all) << "clearing the field shows the full list in its order";
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr)
        << "the empty-folder sheet";
}

TEST_F(ApplicationsList, EmptyFolder_ShowsTheInstalledappsSheet) {
    fs::remove_all(tree / "Applications");
    fs::create_directories(tree / "Applications");
    open();
    EXPECT_NE(openScene("zembra::InstalledappsViewController"), nullptr);
}

TEST_F(ApplicationsList, SelectionThenFilter_NextHandsOverTheSelectedItem) {
    open();
    EXPECT_FALSE(next()->isEnabled());
    select("Sketchpad");
    EXPECT_TRUE(next()->isEnabled());
    EXPECT_EQ(item(), QStringLiteral("Sketchpad")) << "handed over at selection time";

    type("s");   // Sketchpad moves to another row
    type("zzz"); // and then out of the list
    EXPECT_TRUE(next()->isEnabled()) << "a filter keeps the next button's state";
    next()->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    EXPECT_EQ(item(), QStringLiteral("Sketchpad"));
}

TEST_F(ApplicationsList, BundleIcon_ComesFromItsIcnsFile) {
    open();
    const QIcon icon = list->model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
    // A bundle without an icon resource still shows an application icon.
    EXPECT_FALSE(list->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

namespace {
class CountingWorkspace : public platform::Workspace {
public:
    QIcon iconForFile(const std::filesystem::path &path) override {
        ++calls;
        return platform::Workspace::iconForFile(path);
    }
    int calls = 0;
};
} // namespace

TEST_F(ApplicationsList, LongList_DecodesIconsOfTheRowsOnScreenOnly) {
    for (int i = 0; i < 200; ++i)
        tree.app("Applications/More/App " + std::to_string(i) + ".app",
                 "com.x.app" + std::to_string(i));
    CountingWorkspace counting;
    platform::Workspace::setShared(&counting);
    open();
    window().grab();
    const int onScreen = list->viewport()->height() / ApplicationsRowView::kRowHeight + 2;
    EXPECT_GT(counting.calls, 0);
    EXPECT_LE(counting.calls, onScreen);
    list->scrollToBottom();
    window().grab();
    const int afterScroll = counting.calls;
    list->scrollToTop();
    window().grab();
    EXPECT_EQ(counting.calls, afterScroll) << "icons already decoded are kept";
    platform::Workspace::setShared(nullptr);
}

TEST_F(ApplicationsList, HostileName_EscapedInTheRowItsTooltipAndSpokenName) {
    tree.app("Applications/Evil\nName\u202egnp.exe.app", "com.x.evil");
    open();
    const QString evil = QStringLiteral("Evil\\nName\\u202egnp.exe");
    ASSERT_TRUE(rows().contains(evil)) << rows().join('|').toStdString();
    const QModelIndex row = list->model()->index(int(rows().indexOf(evil)), 0);
    EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), evil);
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->child(row.row())->text(QAccessible::Name), evil);
}
