#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "platform/Workspace.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"
#include "shell/WindowController.h"

#include <QAccessible>
#include <QDialog>
#include <QImage>

using namespace zembra;
using zembra::test::expectControlsNamedOnce;
namespace fs = std::filesystem;

namespace {

class Accessibility : public test::GuiTest {};

QImage picture(const QIcon &icon) {
    return icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST_F(Accessibility, EveryControl_HasAUniqueName) {
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    expectControlsNamedOnce(&window(), "Home");
    post(screens::kApplicationsViewController);
    find<QLineEdit>(screen(), "search_field")->setText("o"); // shows its clear button
    expectControlsNamedOnce(&window(), "Applications");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(find<QWidget>(screen(), "search_field"))
                  ->text(QAccessible::Name),
              QStringLiteral("Search:"))
        << "the field is named by its label";

    for (const QString &id :
         {screens::kSandbox, screens::kOptionalPreferences, screens::kInstalledapps}) {
        QWidget *sheet = presentAsSheet(delegate->storyboard().instantiate(id, nullptr), &window());
        expectControlsNamedOnce(sheet, id.toStdString());
        sheet->close();
        settle();
    }
}

TEST(OwnImages, WithoutAnIconTheme_EveryTypeAPicture_BundlesTheirOwn) {
    auto &ws = platform::Workspace::shared();
    for (const char *type :
         {"", "plist", "log", "bundle", "plugin", "app", "inode/directory", "xyz"})
        EXPECT_FALSE(ws.iconForFileType(type).isNull()) << type;
    for (const char *image : {":/images/preferences.png", ":/images/launch_agent.png"})
        EXPECT_FALSE(QIcon(image).pixmap(32).isNull()) << image;

    test::TreeBuilder t;
    const fs::path pane =
        t.app("Library/PreferencePanes/Dock.prefPane", "com.x.dock", "Dock", "Dock", "Dock.png");
    fs::create_directories(pane / "Contents/Resources");
    QImage own(32, 32, QImage::Format_ARGB32);
    own.fill(Qt::magenta);
    ASSERT_TRUE(own.save(QString::fromStdString((pane / "Contents/Resources/Dock.png").native())));
    EXPECT_EQ(picture(ws.iconForFile(pane)), own) << "a preference pane shows its own icon";

    // Without an icon of its own, a pane still is not shown as a plug-in.
    const QImage plugin = picture(ws.iconForFileType("bundle"));
    EXPECT_NE(picture(ws.iconForFile(t.app("Library/PreferencePanes/Plain.prefPane", "com.x.p"))),
              plugin);
    EXPECT_NE(picture(ws.iconForFileType("safariextz")), plugin);
    for (const char *type : {"crash", "webloc"})
        EXPECT_NE(picture(ws.iconForFileType(type)), picture(ws.iconForFileType(""))) << type;
}
