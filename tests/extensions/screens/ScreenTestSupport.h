#pragma once
// The extension screen tests' offscreen delegate on a test tree, with the screens registered
// and a workspace double that records what it was asked to show.

#include "extensions/screens/ExtensionScreens.h"
#include "grants/GrantKeys.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenProbes.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace zembra::test {

// Lets queued calls and zero timers run.
inline void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// Deletes every window; sheets and popovers belong to their window and go with it.
inline void closeAllWindows() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            w->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The visible scene (sheet or popover content) with the object name `identifier`.
inline QWidget *visibleScene(const QString &identifier) {
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

inline QPushButton *button(QWidget *in, const char *name) {
    return in->findChild<QPushButton *>(QString::fromLatin1(name));
}

class ExtensionScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Workspace::setShared(&workspace);
        t.entries({"home/Library/", "Applications/"});
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
    void TearDown() override {
        closeAllWindows();
        // Workers hold only their own data, but let them end before the tree goes.
        QThreadPool::globalInstance()->waitForDone();
        settle();
        NotificationCenter::defaultCenter().removeObservers(delegate.get());
        delegate.reset();
        platform::Workspace::setShared(nullptr);
    }

    // The screen `identifier` in a window of its own, shown.
    QWidget *open(const QString &identifier) {
        auto *window = new QWidget;
        window->resize(720, 520);
        QWidget *screen = delegate->storyboard().instantiate(identifier, window);
        screen->setGeometry(window->rect());
        window->show();
        settle();
        return screen;
    }
    // A plug-in in the home Library's Address Book folder.
    fs::path plugin(const std::string &name, const std::string &identifier) {
        return t.app("home/Library/Address Book Plug-Ins/" + name + ".bundle", identifier, name);
    }
    TreeBuilder t;
    TestSettings settings;
    TestSettings suite;
    RecordingWorkspace workspace{true};
    std::unique_ptr<AppDelegate> delegate;
    QStringList posted;
};

} // namespace zembra::test
