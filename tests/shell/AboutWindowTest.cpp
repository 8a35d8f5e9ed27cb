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
using zembra::test::GuiTest;

namespace {

QByteArray readAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AboutWindow : public GuiTest {
protected:
    AboutWindow() {
        platform::Workspace::setShared(&workspace);
        // The document is written to the cache folder: a temporary one here.
        m_cacheBefore = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }
    ~AboutWindow() override {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<AboutWindowController *>(w))
                w->close();
        qputenv("XDG_CACHE_HOME", m_cacheBefore);
        platform::Workspace::setShared(nullptr);
    }

    // The About windows that are open.
    static std::vector<AboutWindowController *> aboutWindows() {
        std::vector<AboutWindowController *> out;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *about = qobject_cast<AboutWindowController *>(w); about && about->isVisible())
                out.push_back(about);
        return out;
    }

    zembra::test::RecordingWorkspace workspace;
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
    const auto windows = aboutWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("About Uninstaller zembra"));
    zembra::test::expectControlsNamedOnce(windows[0], "About");

    QWidget *content = windows[0]->contentViewController();
    find<QAbstractButton>(content, "HomePage")->click();
    find<QAbstractButton>(content, "pelloria")->click();
    // No handler for the store's scheme here: the store's web preview of Pelloria.
    EXPECT_EQ(workspace.opened, (std::vector<QUrl>{kProductWebPage, kPelloriaWebPage}));

    // The acknowledgements: the shipped document, as a file the desktop's handler can open.
    find<QAbstractButton>(content, "Acknowledgements")->click();
    ASSERT_EQ(workspace.opened.size(), 3u);
    const QUrl document = workspace.opened.back();
    ASSERT_TRUE(document.isLocalFile());
    EXPECT_TRUE(document.toLocalFile().startsWith(cache.path()));
    EXPECT_TRUE(document.toLocalFile().endsWith(QLatin1String(".rtf")));
    const QByteArray bytes = readAll(document.toLocalFile());
    EXPECT_TRUE(bytes.startsWith("{\\rtf1"));
    EXPECT_EQ(bytes, readAll(kAcknowledgementsResource));
}

TEST(Acknowledgements, InstalledCopyPreferred_ElseWrittenWhole_ElseNothing) {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("installed.rtf"));
    const QString scratch = dir.filePath(QStringLiteral("scratch"));
    // Not installed: the resource is written, and written again over an older copy.
    ASSERT_EQ(acknowledgementsFile(installed, scratch),
              scratch + QStringLiteral("/Acknowledgements.rtf"));
    {
        QFile old(scratch + QStringLiteral("/Acknowledgements.rtf"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("stale");
    }
    ASSERT_TRUE(acknowledgementsFile(installed, scratch));
    EXPECT_EQ(readAll(scratch + QStringLiteral("/Acknowledgements.rtf")),
              readAll(kAcknowledgementsResource));

    QFile copy(installed);
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.close();
    EXPECT_EQ(acknowledgementsFile(installed, scratch), installed);

    // A scratch folder that cannot be made (a file stands in its way): nothing to open.
    const QString blocked = dir.filePath(QStringLiteral("installed.rtf/sub"));
    EXPECT_EQ(acknowledgementsFile(QString(), blocked), std::nullopt);
}
