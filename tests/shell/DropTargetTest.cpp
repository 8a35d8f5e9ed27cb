#include "GuiFixture.h"

#include "platform/SettingsStore.h"
#include "shell/DragAndDropImageView.h"
#include "shell/ScreenNames.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>

#include <sys/stat.h>

using namespace zembra;
namespace fs = std::filesystem;

namespace {

class DropTarget : public test::GuiTest {
protected:
    DropTarget() {
        grantBoth();
        window();
    }
    // Files of the tree as a drag carries them.
    QList<QUrl> urls(std::initializer_list<std::string> files) {
        QList<QUrl> out;
        for (const std::string &f : files)
            out << QUrl::fromLocalFile(QString::fromStdString((tree / f).native()));
        return out;
    }
    bool enter(const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent event({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(find<DragAndDropImageView>(screen(), "drop_image"), &event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }
    // A drop follows the drag's entry, which makes the view the drag's target.
    void drop(const QList<QUrl> &urls) {
        enter(urls);
        QMimeData data;
        data.setUrls(urls);
        QDropEvent event({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(find<DragAndDropImageView>(screen(), "drop_image"), &event);
        settle();
    }
};

} // namespace

TEST_F(DropTarget, Drag_TheFirstFileDecides_ARefusedOneDropsNothing) {
    const std::pair<QList<QUrl>, bool> cases[] = {{urls({"Foo.app"}), true},
                                                  {urls({"Foo.txt"}), false},
                                                  {urls({"Foo.app", "Bar.txt"}), true},
                                                  {urls({"Bar.txt", "Foo.app"}), false},
                                                  {urls({"Foo.APP"}), false},
                                                  {urls({"Foo.app/"}), true},
                                                  {{}, false}};
    for (const auto &[dragged, accepted] : cases)
        EXPECT_EQ(enter(dragged), accepted)
            << (dragged.isEmpty() ? "nothing" : dragged[0].path().toStdString());
    drop(urls({"Foo.txt"}));
    EXPECT_EQ(reviewsShown, 0);
    EXPECT_EQ(delegate->state().item(), nullptr);
}

TEST_F(DropTarget, BundleOutsideApplications_GoesToItsReviewAndIsGranted) {
    // Left out of the list by its identifier, and not below any granted folder.
    const fs::path bundle = tree.app("Downloads/Tool.app", "com.apple.Safari", "Tool");
    settings.store().setInteger(screens::kSheet, 1);
    drop(urls({"Downloads/Tool.app", "notes.txt"}));
    EXPECT_EQ(reviewsShown, 1);
    ASSERT_NE(delegate->state().item(), nullptr);
    EXPECT_EQ(delegate->state().item()->url(), bundle);
    EXPECT_EQ(settings.store().integerForKey(screens::kSheet), 1)
        << "the drop leaves the Back target alone";
    EXPECT_EQ(delegate->state().granted_items(), std::vector<fs::path>{bundle}) << "nothing else";
}

// Named like a bundle but no folder: refused, and the refusal is said.
TEST_F(DropTarget, NoFolder_RefusedWithTheReason_NothingGrantedOrReviewed) {
    const fs::path real = tree.app("Downloads/Real.app", "com.x.real");
    tree.file("Downloads/File.app");
    ASSERT_EQ(mkfifo((tree / "Downloads/Fifo.app").c_str(), 0644), 0);
    tree.link("Downloads/Link.app", real);
    tree.link("Downloads/Dangling.app", tree / "nowhere.app");
    for (const char *name : {"File.app", "Fifo.app", "Link.app", "Dangling.app"}) {
        SCOPED_TRACE(name);
        drop(urls({std::string("Downloads/") + name}));
        EXPECT_EQ(reviewsShown, 0);
        EXPECT_EQ(delegate->state().item(), nullptr);
        EXPECT_TRUE(delegate->state().granted_items().empty());
        QLabel *said = nullptr;
        for (QWidget *scene : openScenes())
            if (auto *label = scene->findChild<QLabel *>(QStringLiteral("DropRefused")))
                said = label;
        ASSERT_NE(said, nullptr) << "the refusal is said";
        EXPECT_EQ(said->text(),
                  QString(name) + " is not an application bundle: a bundle is a folder");
        said->window()->close();
        settle();
    }
}
