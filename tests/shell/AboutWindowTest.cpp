#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "periphery/AboutViewController.h"
#include "periphery/AboutWindowController.h"
#include "periphery/Acknowledgements.h"
#include "periphery/StoreLinks.h"
#include "shell/WindowController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace zembra;

namespace {

QByteArray readAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AboutWindow : public test::GuiTest {
protected:
    // The document is written to the cache folder: a temporary one here.
    AboutWindow() : m_cacheBefore(qgetenv("XDG_CACHE_HOME")) {
        platform::Workspace::setShared(&workspace);
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }
    ~AboutWindow() override {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<AboutWindowController *>(w))
                w->close();
        qputenv("XDG_CACHE_HOME", m_cacheBefore);
        platform::Workspace::setShared(nullptr);
    }

    test::RecordingWorkspace workspace;
    QTemporaryDir cache;

private:
    QByteArray m_cacheBefore;
};

} // namespace

TEST_F(AboutWindow, MenuAction_OpensOneWindowWhoseLinksLeadToTheProductsAddresses) {
    window().addApplicationAction(makeShowAboutAction(&window()));
    QAction *about = window().findChild<QAction *>(QStringLiteral("showAbout"));
    ASSERT_NE(about, nullptr);
    about->trigger();
    about->trigger(); // raised again, not a second window
    settle();
    std::vector<AboutWindowController *> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *shown = qobject_cast<AboutWindowController *>(w); shown && shown->isVisible())
            windows.push_back(shown);
    ASSERT_EQ(windows.size(), 1u);
    test::expectControlsNamedOnce(windows[0], "About");

    QWidget *content = windows[0]->contentViewController();
    for (const char *button : {"HomePage", "pelloria", "Acknowledgements"})
        find<QAbstractButton>(content, button)->click();
    // No handler for the store's scheme here: the store's web preview of Pelloria.
    ASSERT_EQ(workspace.opened.size(), 3u);
    EXPECT_EQ(workspace.opened[0], kProductWebPage);
    EXPECT_EQ(workspace.opened[1], kPelloriaWebPage);
    // The acknowledgements: the shipped document, as a file the desktop's handler can open.
    const QString document = workspace.opened[2].toLocalFile();
    EXPECT_TRUE(document.startsWith(cache.path()) && document.endsWith(QLatin1String(".rtf")))
        << document.toStdString();
    const QByteArray bytes = readAll(document);
    EXPECT_TRUE(bytes.startsWith("{\\rtf1"));
    EXPECT_EQ(bytes, readAll(kAcknowledgementsResource));
}

TEST(Acknowledgements, InstalledCopyPreferred_ElseWrittenWhole_ElseNothing) {
    QTemporaryDir dir;
    const QString installed = dir.filePath("installed.rtf"), scratch = dir.filePath("scratch"),
                  written = scratch + "/Acknowledgements.rtf";
    // Not installed: the resource is written, and written again over an older copy.
    ASSERT_EQ(acknowledgementsFile(installed, scratch), written);
    QFile old(written);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write("stale");
    old.close();
    ASSERT_EQ(acknowledgementsFile(installed, scratch), written);
    EXPECT_EQ(readAll(written), readAll(kAcknowledgementsResource));

    QFile copy(installed);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.close();
    EXPECT_EQ(acknowledgementsFile(installed, scratch), installed);
    // A scratch folder that cannot be made (a file stands in its way): nothing to open.
    EXPECT_EQ(acknowledgementsFile(QString(), dir.filePath("installed.rtf/sub")), std::nullopt);
}
