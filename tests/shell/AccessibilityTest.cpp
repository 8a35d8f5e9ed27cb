#include "GuiFixture.h"

#include "catalogue/screens/RemovedApplicationsViewController.h"
#include "periphery/AboutWindowController.h"
#include "platform/SettingsStore.h"
#include "platform/Workspace.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace zembra;
using zembra::test::GuiTest;

namespace {

// What a screen reader would speak for each control shown in `window`.
std::map<QWidget *, QString> spokenNames(QWidget *window)
{
    std::map<QWidget *, QString> names;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                             qobject_cast<QAbstractItemView *>(w) || w->acceptDrops();
        if (!control)
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        names[w] = a ? a->text(QAccessible::Name) : QString();
    }
    return names;
}

void expectNamedAndUnique(QWidget *window, const char *where)
{
    std::map<QString, int> seen;
    const auto names = spokenNames(window);
    EXPECT_FALSE(names.empty()) << where;
    for (const auto &[widget, name] : names) {
        EXPECT_FALSE(name.trimmed().isEmpty()) << where << ": " << widget->objectName().toStdString();
        EXPECT_EQ(++seen[name], 1) << where << ": two controls named " << name.toStdString();
    }
}

class Accessibility : public GuiTest {};

} // namespace

TEST_F(Accessibility, EveryControl_HasAUniqueName)
{
    tree.app("Applications/One.app", "com.x.one");
    grantBoth();
    expectNamedAndUnique(&window(), "Home");
    post(screens::kApplicationsViewController);
    find<QLineEdit>(screen(), "search_field")->setText(QStringLiteral("o")); // shows its clear button
    expectNamedAndUnique(&window(), "Applications");

    const auto names = spokenNames(&window());
    for (const auto &[widget, name] : names) {
        if (widget->objectName() == QLatin1String("tableviewA")) {
            EXPECT_EQ(name, QStringLiteral("Applications"));
        }
        if (widget->objectName() == QLatin1String("search_field")) {
            EXPECT_EQ(name, QStringLiteral("Search:")) << "the field is named by its label";
        }
    }

    for (const QString &id : {screens::kSandbox, screens::kOptionalPreferences, screens::kInstalledapps}) {
        QWidget *content = delegate->storyboard().instantiate(id, nullptr);
        ASSERT_NE(content, nullptr);
        QWidget *sheet = presentAsSheet(content, &window());
        expectNamedAndUnique(sheet, id.toUtf8().constData());
        sheet->close();
        settle();
    }
}

TEST_F(Accessibility, RemovedApplicationsAndAbout_EveryControlHasAUniqueName)
{
    grantBoth();
    QTemporaryDir settingsFolder; // no remembered applications: the list is empty
    platform::SettingsStore::setFolder(settingsFolder.path());
    post(screens::kRemovedApplicationsViewController);
    auto *list = qobject_cast<RemovedApplicationsViewController *>(screen());
    ASSERT_NE(list, nullptr);
    expectNamedAndUnique(&window(), "RemovedApplications, searching");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->searchFinished(); }, 20000));
    platform::SettingsStore::setFolder(QString());

    AboutWindowController about;
    about.show();
    settle();
    expectNamedAndUnique(&about, "About");
}

TEST(OwnImages, NoIconTheme_EveryFileTypeAndReviewImageHasAPicture)
{
    for (const char *type : {"", "plist", "log", "bundle", "plugin", "app", "inode/directory", "xyz"})
        EXPECT_FALSE(platform::Workspace::shared().iconForFileType(QString::fromLatin1(type)).isNull()) << type;
    for (const char *image : {":/images/preferences.png", ":/images/launch_agent.png"})
        EXPECT_FALSE(QIcon(QString::fromLatin1(image)).pixmap(32).isNull()) << image;
}
