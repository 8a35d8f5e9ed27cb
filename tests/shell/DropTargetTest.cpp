#include "GuiFixture.h"

#include "platform/SettingsStore.h"
#include "shell/DragAndDropImageView.h"
#include "shell/ScreenNames.h"

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

} // namespace

TEST_F(DropTarget, Drag_TheFirstFileDecides) {
    window();
    const struct {
        std::vector<const char *> files;
        bool accepted;
    } cases[] = {{{"Foo.app"}, true},
                 {{"Foo.txt"}, false},
                 {{"Foo.app", "Bar.txt"}, true},
                 {{"Bar.txt", "Foo.app"}, false},
                 {{"Foo.APP"}, false},
                 {{"Foo.app/"}, true},
                 {{}, false}};
    for (const auto &c : cases) {
        QList<QUrl> urls;
        for (const char *f : c.files)
            urls << fileUrl(tree / f);
        EXPECT_EQ(enter(urls), c.accepted) << (c.files.empty() ? "nothing" : c.files[0]);
    }
}

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

// Named like a bundle but no folder: refused, and the refusal is said.
TEST_F(DropTarget, NoFolder_RefusedWithTheReason_NothingGrantedOrReviewed) {
    const fs::path real = tree.app("Downloads/Real.app", "com.x.real");
    tree.file("Downloads/File.app");
    ASSERT_EQ(mkfifo((tree / "Downloads/Fifo.app").c_str(), 0644), 0);
    tree.link("Downloads/Link.app", real);
    tree.link("Downloads/Dangling.app", tree / "nowhere.app");
    window();
    for (const char *name : {"File.app", "Fifo.app", "Link.app", "Dangling.app"}) {
        SCOPED_TRACE(name);
        drop({fileUrl(tree / "Downloads" / name)});
        EXPECT_EQ(reviewsShown, 0);
        EXPECT_EQ(delegate->state().item(), nullptr);
        EXPECT_TRUE(delegate->state().granted_items().empty());
        QWidget *sheet = nullptr;
        for (QWidget *scene : openScenes())
            if (scene->findChild<QWidget *>(QStringLiteral("DropRefused")))
                sheet = scene;
        ASSERT_NE(sheet, nullptr) << "the refusal is said";
        EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("DropRefused"))->text(),
                  QString::fromLatin1(name) +
                      QStringLiteral(" is not an application bundle: a bundle is a folder"));
        sheet->close();
        settle();
    }
}
