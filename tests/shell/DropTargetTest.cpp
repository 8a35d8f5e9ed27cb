#include "GuiFixture.h"

#include "platform/SettingsStore.h"
#include "shell/DragAndDropImageView.h"
#include "shell/ScreenNames.h"
#include "support/CaseName.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>

#include <sys/stat.h>

using namespace zembra;
using zembra::test::GuiTest;
namespace fs = std::filesystem;

namespace {

QUrl fileUrl(const fs::path &p) {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(p.native())));
}

class DropTarget : public GuiTest {
protected:
    DropTarget() { grantBoth(); }
    DragAndDropImageView *target() { return find<DragAndDropImageView>(screen(), "drop_image"); }
    bool enter(const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(target(), &event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }
    // A drop follows the drag's entry, which makes the view the drag's target.
    void drop(const QList<QUrl> &urls) {
        enter(urls);
        QMimeData data;
        data.setUrls(urls);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target(), &event);
        settle();
    }
};

struct DragCase {
    const char *name;
    std::vector<const char *> files;
    bool accepted;
};

ZEMBRA_PRINT_CASE_BY_NAME(DragCase)

class DragAcceptance : public DropTarget, public ::testing::WithParamInterface<DragCase> {};

} // namespace

TEST_P(DragAcceptance, TheFirstFileDecides) {
    window();
    QList<QUrl> urls;
    for (const char *f : GetParam().files)
        urls << fileUrl(tree / f);
    EXPECT_EQ(enter(urls), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Drags, DragAcceptance,
                         ::testing::Values(DragCase{"App", {"Foo.app"}, true},
                                           DragCase{"Text", {"Foo.txt"}, false},
                                           DragCase{"AppThenText", {"Foo.app", "Bar.txt"}, true},
                                           DragCase{"TextThenApp", {"Bar.txt", "Foo.app"}, false},
                                           DragCase{"UpperCase", {"Foo.APP"}, false},
                                           DragCase{"TrailingSlash", {"Foo.app/"}, true},
                                           DragCase{"Nothing", {}, false}),
                         zembra::test::CaseName());

TEST_F(DropTarget, BundleOutsideApplications_GoesToItsReviewAndIsGranted) {
    // Left out of the list by its identifier, and not below any granted folder.
    const fs::path bundle = tree.app("Downloads/Tool.app", "com.apple.Safari", "Tool");
    window();
    settings.store().setInteger(screens::kSheet, 1);
    drop({fileUrl(bundle), fileUrl(tree / "notes.txt")});

    EXPECT_EQ(reviewsShown, 1);
    const auto item = delegate->state().item();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->url(), bundle);
    EXPECT_EQ(item->bundle(), QStringLiteral("com.apple.Safari"));
    EXPECT_EQ(settings.store().integerForKey(screens::kSheet), 1)
        << "the drop leaves the Back target alone";
    EXPECT_EQ(delegate->state().granted_items(),
              std::vector<fs::path>{bundle}); // the bundle, nothing else
}

TEST_F(DropTarget, RefusedDrag_DropChangesNothing) {
    window();
    drop({fileUrl(tree / "Foo.txt")});
    EXPECT_EQ(reviewsShown, 0);
    EXPECT_EQ(delegate->state().item(), nullptr);
}

namespace {

class DropNoFolder : public DropTarget, public ::testing::WithParamInterface<const char *> {};

} // namespace

TEST_P(DropNoFolder, RefusedWithTheReason_NothingGrantedOrReviewed) {
    const fs::path real = tree.app("Downloads/Real.app", "com.x.real");
    const fs::path notes = tree / "Downloads/Notes.app";
    const std::string kind = GetParam();
    if (kind == "file")
        tree.file("Downloads/Notes.app");
    else if (kind == "fifo")
        ASSERT_EQ(mkfifo(notes.c_str(), 0644), 0);
    else if (kind == "link")
        tree.link("Downloads/Notes.app", real);
    else
        tree.link("Downloads/Notes.app", tree / "nowhere.app");
    window();
    drop({fileUrl(notes)});
    EXPECT_EQ(reviewsShown, 0);
    EXPECT_EQ(delegate->state().item(), nullptr);
    EXPECT_TRUE(delegate->state().granted_items().empty());
    QWidget *sheet = nullptr;
    for (QWidget *scene : openScenes())
        if (scene->findChild<QWidget *>(QStringLiteral("DropRefused")))
            sheet = scene;
    ASSERT_NE(sheet, nullptr) << "the refusal is said";
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("DropRefused"))->text(),
              QStringLiteral("Notes.app is not an application bundle: a bundle is a folder"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DropNoFolder,
                         ::testing::Values("file", "fifo", "link", "dangling"));
