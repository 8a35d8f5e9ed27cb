#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "platform/Workspace.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAccessible>
#include <QDialog>
#include <QImage>
#include <QLabel>

using namespace zembra;
using zembra::test::expectControlsNamedOnce;
using zembra::test::GuiTest;
namespace fs = std::filesystem;

namespace {

class Accessibility : public GuiTest {};

} // namespace

TEST_F(Accessibility, EveryControl_HasAUniqueName) {
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    expectControlsNamedOnce(&window(), "Home");
    post(screens::kApplicationsViewController);
    find<QLineEdit>(screen(), "search_field")
        ->setText(QStringLiteral("o")); // shows its clear button
    expectControlsNamedOnce(&window(), "Applications");

    auto spoken = [this](const char *name) {
        return QAccessible::queryAccessibleInterface(find<QWidget>(screen(), name))
            ->text(QAccessible::Name);
    };
    EXPECT_EQ(spoken("tableviewA"), QStringLiteral("Applications"));
    EXPECT_EQ(spoken("search_field"), QStringLiteral("Search:"))
        << "the field is named by its label";

    for (const QString &id :
         {screens::kSandbox, screens::kOptionalPreferences, screens::kInstalledapps}) {
        QWidget *content = delegate->storyboard().instantiate(id, nullptr);
        ASSERT_NE(content, nullptr);
        QWidget *sheet = presentAsSheet(content, &window());
        expectControlsNamedOnce(sheet, id.toUtf8().constData());
        sheet->close();
        settle();
    }
}

TEST(OwnImages, NoIconTheme_EveryFileTypeAndReviewImageHasAPicture) {
    for (const char *type :
         {"", "plist", "log", "bundle", "plugin", "app", "inode/directory", "xyz"})
        EXPECT_FALSE(
            platform::Workspace::shared().iconForFileType(QString::fromLatin1(type)).isNull())
            << type;
    for (const char *image : {":/images/preferences.png", ":/images/launch_agent.png"})
        EXPECT_FALSE(QIcon(QString::fromLatin1(image)).pixmap(32).isNull()) << image;
}

namespace {

QImage picture(const QIcon &icon) {
    return icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(OwnImages, BundlesShowTheirOwnIcon_TypesTheirOwnPicture) {
    zembra::test::TreeBuilder t;
    auto &ws = platform::Workspace::shared();
    const fs::path pane =
        t.app("Library/PreferencePanes/Dock.prefPane", "com.x.dock", "Dock", "Dock", "Dock.png");
    fs::create_directories(pane / "Contents/Resources");
    QImage own(32, 32, QImage::Format_ARGB32);
    own.fill(Qt::magenta);
    ASSERT_TRUE(own.save(QString::fromStdString((pane / "Contents/Resources/Dock.png").native())));
    EXPECT_EQ(picture(ws.iconForFile(pane)), own) << "a preference pane shows its own icon";

    // Without an icon of its own, a pane still is not shown as a plug-in.
    const fs::path plain = t.app("Library/PreferencePanes/Plain.prefPane", "com.x.plain");
    const QImage plugin = picture(ws.iconForFileType(QStringLiteral("bundle")));
    EXPECT_NE(picture(ws.iconForFile(plain)), plugin);
    EXPECT_NE(picture(ws.iconForFileType(QStringLiteral("safariextz"))), plugin);
    const QImage document = picture(ws.iconForFileType(QString()));
    for (const char *type : {"crash", "webloc"})
        EXPECT_NE(picture(ws.iconForFileType(QString::fromLatin1(type))), document) << type;
}
