#include "GuiFixture.h"

#include "catalogue/screens/CatalogueScreens.h"
#include "grants/GrantKeys.h"
#include "grants/screens/GrantScreens.h"
#include "leftovers/screens/RemovedApplicationsViewController.h"
#include "platform/RunningApplications.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"
#include "shell/screens/ShellScreens.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>

namespace zembra::test {

GuiTest::GuiTest() {
    platform::OpenPanel::setShared(&panel);
    tree.dir("Applications");
    tree.dir("Users/" + platform::userName().toStdString());
    delegate = std::make_unique<AppDelegate>(settings.store(), suite.store());
    ScreenRegistry &registry = delegate->storyboard();
    registerShellScreens(registry, *delegate);
    registerGrantScreens(registry, *delegate);
    registerCatalogueScreens(registry, *delegate);
    // The removed-applications screen lives with the leftover screens; the review it opens
    // is the probe below.
    registry.add(screens::kRemovedApplications, [this](QWidget *parent) {
        return new RemovedApplicationsViewController(*delegate, platform::SettingsStore::folder(),
                                                     parent);
    });
    // The leftover review is not part of this suite: a probe that counts its visits.
    registry.add(screens::kRemainder, [this](QWidget *parent) {
        ++reviewsShown;
        return new QLabel(QStringLiteral("review"), parent);
    });
}

GuiTest::~GuiTest() {
    for (QWidget *scene : openScenes())
        scene->close();
    m_window.reset();
    settle();
    delegate.reset();
    platform::OpenPanel::setShared(nullptr);
}

fs::path GuiTest::home() const {
    return tree / ("Users/" + platform::userName().toStdString());
}

void GuiTest::grantBoth() {
    settings.grant(grants::kApplications, tree / "Applications");
    settings.grant(grants::kHome, home());
}

WindowController &GuiTest::window() {
    if (!m_window) {
        m_window = std::make_unique<WindowController>(*delegate);
        m_window->show();
        settle();
    }
    return *m_window;
}

QWidget *GuiTest::screen() {
    return window().viewController()->viewcontrollerC();
}

QString GuiTest::screenName() {
    QWidget *s = screen();
    return s ? QString::fromLatin1(s->metaObject()->className()) + '/' + s->objectName()
             : QString();
}

void GuiTest::post(const QString &name) {
    window();
    NotificationCenter::defaultCenter().post(name);
    settle();
}

void GuiTest::settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    // The tests that drive a list while it loads pump the events themselves.
    const auto loading = [] {
        for (QWidget *top : QApplication::topLevelWidgets())
            for (const QLabel *label : top->findChildren<QLabel *>(QStringLiteral("loading")))
                if (label->isVisibleTo(top))
                    return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 20000)) << "the list never loaded";
}

std::vector<QWidget *> GuiTest::openScenes() {
    std::vector<QWidget *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && (qobject_cast<QDialog *>(w) || w->windowType() == Qt::Popup))
            out.push_back(w);
    return out;
}

QWidget *GuiTest::openScene(const char *className) {
    for (QWidget *scene : openScenes())
        for (QWidget *child : scene->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (child->inherits(className))
                return scene;
    return nullptr;
}

} // namespace zembra::test
