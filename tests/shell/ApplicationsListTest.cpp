#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "catalogue/screens/ApplicationsRowView.h"
#include "platform/Workspace.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <fstream>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

// An .icns file holding one 32-pixel PNG picture.
void writeIcns(const fs::path &file, QColor colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const auto be32 = [](qsizetype v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray entry = "ic11" + be32(8 + png.size()) + png;
    const QByteArray icns = "icns" + be32(8 + entry.size()) + entry;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(icns.constData(), icns.size());
}

class CountingWorkspace : public platform::Workspace {
public:
    QIcon iconForFile(const fs::path &path) override {
        ++calls;
        return platform::Workspace::iconForFile(path);
    }
    int calls = 0;
};

class ApplicationsList : public test::GuiTest {
protected:
    ApplicationsList() {
        grantBoth();
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad",
                 "AppIcon.icns");
        writeIcns(tree / "Applications/Sketchpad.app/Contents/Resources/AppIcon.icns", Qt::red);
        for (const char *name : {"Safari", "Café", "Notes"})
            tree.app(std::string("Applications/") + name + ".app",
                     std::string("com.example.") + name[0]);
    }
    void open() {
        post(screens::kApplicationsViewController);
        list = find<QListView>(screen(), "tableviewA");
        ASSERT_NE(list, nullptr);
    }
    QStringList rows() const { return test::labels(list->model()); }
    void type(const QString &text) { find<QLineEdit>(screen(), "search_field")->setText(text); }
    QString chosen() const {
        const auto i = delegate->state().item();
        return i && i->label() ? *i->label() : QString();
    }

    QListView *list = nullptr;
};

} // namespace

TEST_F(ApplicationsList, FilterIgnoresCaseAndAccents_ChoiceKeptThroughIt_IconFromItsIcns) {
    open();
    const QStringList all = {"Café", "Notes", "Safari", "Sketchpad"};
    EXPECT_EQ(rows(), all);
    EXPECT_EQ(openScene("zembra::InstalledappsViewController"), nullptr);
    const std::pair<const char *, QStringList> filters[] = {
        {"saf", {"Safari"}}, {"SAF", {"Safari"}}, {"cafe", {"Café"}}, {"zzz", {}}, {"", all}};
    for (const auto &[typed, shown] : filters) {
        type(typed);
        EXPECT_EQ(rows(), shown) << typed;
    }

    const QIcon icon = list->model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(icon.pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
    // A bundle without an icon resource still shows an application icon.
    EXPECT_FALSE(list->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    auto *next = find<QAbstractButton>(screen(), "switch_next");
    EXPECT_FALSE(next->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(3, 0)).center());
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad")) << "handed over at selection time";
    type("s");   // Sketchpad moves to another row
    type("zzz"); // and then out of the list
    ASSERT_TRUE(next->isEnabled()) << "a filter keeps the next button's state";
    next->click();
    settle();
    EXPECT_EQ(reviewsShown, 1);
    EXPECT_EQ(chosen(), QStringLiteral("Sketchpad"));

    SCOPED_TRACE("emptied folder");
    fs::remove_all(tree / "Applications");
    fs::create_directories(tree / "Applications");
    open();
    EXPECT_NE(openScene("zembra::InstalledappsViewController"), nullptr);
}

TEST_F(ApplicationsList, LongList_IconsDecodedForRowsOnScreen_HostileNameEscaped) {
    for (int i = 0; i < 200; ++i)
        tree.app("Applications/More/App " + std::to_string(i) + ".app",
                 "com.x.app" + std::to_string(i));
    tree.app("Applications/Evil\nName\u202egnp.exe.app", "com.x.evil");
    CountingWorkspace counting;
    platform::Workspace::setShared(&counting);
    open();
    window().grab();
    EXPECT_GT(counting.calls, 0);
    EXPECT_LE(counting.calls, list->viewport()->height() / ApplicationsRowView::kRowHeight + 2);
    list->scrollToBottom();
    window().grab();
    const int afterScroll = counting.calls;
    list->scrollToTop();
    window().grab();
    EXPECT_EQ(counting.calls, afterScroll) << "icons already decoded are kept";
    platform::Workspace::setShared(nullptr);

    // In the row, its tooltip and its spoken name.
    const QString evil = QStringLiteral("Evil\\nName\\u202egnp.exe");
    const int row = int(rows().indexOf(evil));
    ASSERT_GE(row, 0) << rows().join('|').toStdString();
    EXPECT_EQ(list->model()->index(row, 0).data(Qt::ToolTipRole).toString(), evil);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->child(row)->text(QAccessible::Name),
              evil);
}
