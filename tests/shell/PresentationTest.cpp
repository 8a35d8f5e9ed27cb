// What the user sees and hears: stored pictures, text looks, standard icons read when drawn,
// spoken names, a picture for every file type, and the About window.

#include "GuiFixture.h"
#include "ScreenProbes.h"

#include "periphery/AboutViewController.h"
#include "periphery/AboutWindowController.h"
#include "periphery/Acknowledgements.h"
#include "periphery/StoreLinks.h"
#include "platform/Workspace.h"
#include "shell/DeferredIconStyle.h"
#include "shell/Presentation.h"
#include "shell/StoredPixels.h"
#include "shell/TextLook.h"

#include <QAction>
#include <QCommonStyle>
#include <QFile>
#include <QResource>
#include <QTemporaryDir>
#include <QtEndian>

#include <fstream>

using namespace zembra;
using zembra::test::expectControlsNamedOnce;
namespace fs = std::filesystem;

namespace {

// What the screen paints from an image: the pixmap, back as an image.
QImage painted(const QImage &image) {
    return QPixmap::fromImage(image).toImage();
}

QImage painted(QLabel &label) {
    label.setText(QStringLiteral("Uninstaller zembra needs two folders"));
    label.resize(420, 60);
    return label.grab().toImage();
}

// The base style, counting what it is asked for.
struct CountingStyle : QCommonStyle {
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option,
                       const QWidget *widget) const override {
        ++asked;
        return QCommonStyle::standardIcon(which, option, widget);
    }
    mutable int asked = 0;
};

using Accessibility = test::GuiTest;

QImage picture(const QIcon &icon) {
    return icon.pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
}

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

TEST(StoredPixels, HomeScreenPictures_PaintExactlyAsTheirPngs) {
    for (const QString name : {"brand", "drop_target"}) {
        SCOPED_TRACE(name.toStdString());
        const QResource stored(":/pixels/" + name + ".pixels");
        ASSERT_TRUE(stored.isValid());
        EXPECT_EQ(stored.compressionAlgorithm(), QResource::NoCompression);
        const QImage fromPixels =
            decodeStoredPixels(reinterpret_cast<const char *>(stored.data()), stored.size());
        const QImage fromPng(":/images/" + name + ".png");
        ASSERT_FALSE(fromPixels.isNull() || fromPng.isNull());
        EXPECT_EQ(painted(fromPixels), painted(fromPng));
    }
}

TEST(StoredPixels, MalformedBytes_GiveNoImage) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 128));
    const QByteArray good = encodeStoredPixels(image);
    ASSERT_EQ(painted(decodeStoredPixels(good.constData(), good.size())), painted(image));
    const auto withSize = [&](quint32 width, quint32 height) {
        QByteArray bytes = good;
        qToLittleEndian<quint32>(width, bytes.data() + 4);
        qToLittleEndian<quint32>(height, bytes.data() + 8);
        return bytes;
    };
    const std::pair<const char *, QByteArray> malformed[] = {
        {"empty", QByteArray()},
        {"header only", good.left(12)},
        {"one byte short", good.chopped(1)},
        {"one byte over", good + 'x'},
        {"other magic", QByteArray("ZPX2") + good.mid(4)},
        {"wider than its bytes", withSize(4, 2)},
        {"no rows", withSize(3, 0)},
        {"sizes that overflow", withSize(0xffffffffu, 0xffffffffu)},
    };
    for (const auto &[what, bytes] : malformed)
        EXPECT_TRUE(decodeStoredPixels(bytes.constData(), bytes.size()).isNull()) << what;
    EXPECT_TRUE(encodeStoredPixels(QImage(5000, 1, QImage::Format_ARGB32)).isEmpty());
}

TEST(TextLook, SameLookAsItsStyleSheet_PaintsTheSamePixels) {
    const std::pair<TextLook, const char *> looks[] = {
        {{20, 600, QColor(40, 40, 40)},
         "font-size: 20pt; font-weight: 600; color: rgb(40, 40, 40);"},
        {{0, 0, QColor(76, 76, 76)}, "color: rgb(76, 76, 76);"},
        {{14, 600, {}}, "font-size: 14pt; font-weight: 600;"}};
    for (const auto &[look, styleSheet] : looks) {
        SCOPED_TRACE(styleSheet);
        QLabel styled, coded, plain;
        styled.setStyleSheet(styleSheet);
        setTextLook(&coded, look);
        EXPECT_EQ(painted(coded), painted(styled));
        EXPECT_NE(painted(coded), painted(plain)) << "the look changed nothing";
    }
}

TEST(DeferredIcons, ReadOnFirstDraw_SameImageAsTheBaseStyle) {
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
          QStyle::SP_MessageBoxWarning, QStyle::SP_DialogOkButton, QStyle::SP_ArrowBack}) {
        SCOPED_TRACE(int(which));
        auto *base = new CountingStyle;
        DeferredIconStyle style(base);
        const QIcon icon = style.standardIcon(which);
        const QIcon copy = icon;
        EXPECT_EQ(base->asked, 0) << "read when taken";
        const QIcon expected = QCommonStyle().standardIcon(which);
        EXPECT_EQ(copy.isNull(), expected.isNull());
        for (const int side : {16, 32}) {
            EXPECT_EQ(icon.actualSize(QSize(side, side)), expected.actualSize(QSize(side, side)));
            EXPECT_EQ(icon.pixmap(side).toImage(), expected.pixmap(side).toImage()) << side;
        }
        EXPECT_EQ(base->asked, 1) << "read once, then kept";
    }
}

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
    // The acknowledgements: a file the desktop's handler can open, written to the cache
    // (what it holds is the acknowledgement file's own test).
    const QString document = workspace.opened[2].toLocalFile();
    EXPECT_TRUE(document.startsWith(cache.path()) && document.endsWith(QLatin1String(".rtf")))
        << document.toStdString();
    EXPECT_TRUE(QFile::exists(document));
}

TEST(Acknowledgements, InstalledCopyPreferred_ElseWrittenWhole_ElseNothing) {
    QTemporaryDir dir;
    const QString installed = dir.filePath("installed.rtf"), scratch = dir.filePath("scratch"),
                  written = scratch + "/Acknowledgements.rtf";
    // Not installed: the resource is written, and written again over an older copy.
    ASSERT_EQ(acknowledgementsFile(installed, scratch), written);
    std::ofstream(written.toStdString()) << "stale";
    ASSERT_EQ(acknowledgementsFile(installed, scratch), written);
    EXPECT_TRUE(readAll(kAcknowledgementsResource).startsWith("{\\rtf1"));
    EXPECT_EQ(readAll(written), readAll(kAcknowledgementsResource));

    std::ofstream(installed.toStdString()).flush();
    EXPECT_EQ(acknowledgementsFile(installed, scratch), installed);
    // A scratch folder that cannot be made (a file stands in its way): nothing to open.
    EXPECT_EQ(acknowledgementsFile(QString(), dir.filePath("installed.rtf/sub")), std::nullopt);
}
