#include "ScreenTestSupport.h"

#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantKeys.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"

#include <QThreadPool>

namespace zembra::test {

void ExtensionScreenTest::SetUp() {
    platform::Workspace::setShared(&workspace);
    t.dir("home/Library");
    t.dir("Applications");
    settings.grant(grants::kHome, t / "home");
    settings.grant(grants::kApplications, t / "Applications");
    delegate = std::make_unique<AppDelegate>(settings.store(), suite.store());
    registerExtensionScreens(delegate->storyboard(), *delegate);
    for (const QString &name :
         {screens::kHomeViewController, screens::kExtensionsViewController,
          screens::kPluginsViewController, screens::kPrefpanesViewController,
          screens::kSafariExtensionsViewController, screens::kRemainderViewController})
        NotificationCenter::defaultCenter().addObserver(delegate.get(), name,
                                                        [this, name] { posted << name; });
}

void ExtensionScreenTest::TearDown() {
    closeAllWindows();
    // Workers hold only their own data, but let them end before the tree goes.
    QThreadPool::globalInstance()->waitForDone();
    settle();
    NotificationCenter::defaultCenter().removeObservers(delegate.get());
    delegate.reset();
    platform::Workspace::setShared(nullptr);
}

QWidget *ExtensionScreenTest::open(const QString &identifier) {
    auto *window = new QWidget;
    window->resize(720, 520);
    QWidget *screen = delegate->storyboard().instantiate(identifier, window);
    screen->setGeometry(window->rect());
    window->show();
    settle();
    return screen;
}

fs::path ExtensionScreenTest::plugin(const std::string &name, const std::string &identifier) {
    return t.app("home/Library/Address Book Plug-Ins/" + name + ".bundle", identifier, name);
}

void ExtensionScreenTest::safariExtensions(
    const std::vector<std::pair<std::string, std::string>> &entries) {
    std::string body;
    for (const auto &[archive, id] : entries) {
        body += "<dict><key>Archive File Name</key><string>" + archive +
                "</string><key>Bundle Identifier</key><string>" + id + "</string></dict>";
        t.file("home/Library/Safari/Extensions/" + archive, std::string(2500, 'x'));
    }
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           xmlPlist("<key>Installed Extensions</key><array>" + body + "</array>"));
}

void ExtensionScreenTest::setLaunchCount(int count, bool allowAny) {
    settings.store().setInteger(screens::kAppLaunchCount, count);
    settings.store().setInteger(grants::kAllowAny, allowAny ? 1 : 0);
}

void closeAllWindows() {
    // Sheets and popovers belong to their window and go with it.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            w->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget *visibleScene(const QString &identifier) {
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == identifier)
            return top;
        if (auto *scene = top->findChild<QWidget *>(identifier); scene && scene->isVisible())
            return scene;
    }
    return nullptr;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

QPushButton *button(QWidget *in, const char *name) {
    return in->findChild<QPushButton *>(QString::fromLatin1(name));
}

} // namespace zembra::test
