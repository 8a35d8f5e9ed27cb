#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "platform/Workspace.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>

using namespace zembra;
using zembra::test::GuiTest;
using zembra::test::expectControlsNamedOnce;

namespace {

class Accessibility : public GuiTest {};

} // namespace

TEST_F(Accessibility, EveryControl_HasAUniqueName)
{
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    expectControlsNamedOnce(&window(), "Home");
    post(screens::kApplicationsViewController);
    find<QLineEdit>(screen(), "search_field")->setText(QStringLiteral("o")); // shows its clear button
    expectControlsNamedOnce(&window(), "Applications");

    auto spoken = [this](const char *name) {
        return QAccessible::queryAccessibleInterface(find<QWidget>(screen(), name))->text(QAccessible::Name);
    };
    EXPECT_EQ(spoken("tableviewA"), QStringLiteral("Applications"));
    EXPECT_EQ(spoken("search_field"), QStringLiteral("Search:")) << "the field is named by its label";

    for (const QString &id : {screens::kSandbox, screens::kOptionalPreferences, screens::kInstalledapps}) {
        QWidget *content = delegate->storyboard().instantiate(id, nullptr);
        ASSERT_NE(content, nullptr);
        QWidget *sheet = presentAsSheet(content, &window());
        expectControlsNamedOnce(sheet, id.toUtf8().constData());
        sheet->close();
        settle();
    }
}

TEST(OwnImages, NoIconTheme_EveryFileTypeAndReviewImageHasAPicture)
{
    for (const char *type : {"", "plist", "log", "bundle", "plugin", "app", "inode/directory", "xyz"})
        EXPECT_FALSE(platform::Workspace::shared().iconForFileType(QString::fromLatin1(type)).isNull()) << type;
    for (const char *image : {":/images/preferences.png", ":/images/launch_agent.png"})
        EXPECT_FALSE(QIcon(QString::fromLatin1(image)).pixmap(32).isNull()) << image;
}
