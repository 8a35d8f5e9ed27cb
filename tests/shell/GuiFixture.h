#pragma once
// A desktop program on a temporary tree: its own settings, every screen of this build, a probe
// for the leftover review, an open panel that answers as the test says, the real main window.

#include "catalogue/screens/CatalogueScreens.h"
#include "grants/GrantKeys.h"
#include "grants/screens/GrantScreens.h"
#include "leftovers/screens/RemovedApplicationsViewController.h"
#include "platform/OpenPanel.h"
#include "platform/RunningApplications.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"
#include "shell/screens/ShellScreens.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zembra::test {

// Answers each open panel with the next queued folder (nothing: cancelled).
class AnsweringOpenPanel : public platform::OpenPanel {
public:
    void beginModal(const Request &request, QWidget *, QObject *, Done done) override {
        requests.push_back(request);
        const std::optional<fs::path> answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty())
            answers.pop_front();
        done(answer);
    }
    std::deque<std::optional<fs::path>> answers;
    std::vector<Request> requests;
};

class GuiTest : public ::testing::Test {
protected:
    GuiTest() {
        platform::OpenPanel::setShared(&panel);
        tree.dir("Applications");
        tree.dir("Users/" + platform::userName().toStdString());
        delegate = std::make_unique<AppDelegate>(settings.store(), suite.store());
        ScreenRegistry &registry = delegate->storyboard();
        registerShellScreens(registry, *delegate);
        registerGrantScreens(registry, *delegate);
        registerCatalogueScreens(registry, *delegate);
        // The removed-applications screen lives with the leftover screens; the review it
        // opens is the probe below.
        registry.add(screens::kRemovedApplications, [this](QWidget *parent) {
            return new RemovedApplicationsViewController(*delegate,
                                                         platform::SettingsStore::folder(), parent);
        });
        // The leftover review is not part of this suite: a probe that counts its visits.
        registry.add(screens::kRemainder, [this](QWidget *parent) {
            ++reviewsShown;
            return new QLabel(QStringLiteral("review"), parent);
        });
    }
    ~GuiTest() override {
        for (QWidget *scene : openScenes())
            scene->close();
        m_window.reset();
        settle();
        delegate.reset();
        platform::OpenPanel::setShared(nullptr);
    }

    static inline const QString kHomeScreen =
        QStringLiteral("zembra::HomeViewController/HomeViewController");
    // A home folder named after the login user, and an Applications folder.
    fs::path home() const { return tree / ("Users/" + platform::userName().toStdString()); }
    void grantBoth() {
        settings.grant(grants::kApplications, tree / "Applications");
        settings.grant(grants::kHome, home());
    }
    // The main window, shown; made once per test.
    WindowController &window() {
        if (!m_window) {
            m_window = std::make_unique<WindowController>(*delegate);
            m_window->show();
            settle();
        }
        return *m_window;
    }
    QWidget *screen() { return window().viewController()->viewcontrollerC(); }
    // The screen's class name, or "" before the first switch.
    QString screenName() {
        QWidget *s = screen();
        return s ? QString::fromLatin1(s->metaObject()->className()) + '/' + s->objectName()
                 : QString();
    }
    void post(const QString &name) {
        window();
        NotificationCenter::defaultCenter().post(name);
        settle();
    }
    // Runs posted events and deferred deletions, and waits for a list still loading.
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        const auto loading = [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                for (const QLabel *label : top->findChildren<QLabel *>(QStringLiteral("loading")))
                    if (label->isVisibleTo(top))
                        return true;
            return false;
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return !loading(); }, 20000)) << "the list never loaded";
    }
    // The visible sheets and popovers over the window, and the one showing a `className`.
    static std::vector<QWidget *> openScenes() {
        std::vector<QWidget *> out;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && (qobject_cast<QDialog *>(w) || w->windowType() == Qt::Popup))
                out.push_back(w);
        return out;
    }
    static QWidget *openScene(const char *className) {
        for (QWidget *scene : openScenes())
            for (QWidget *child : scene->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (child->inherits(className))
                    return scene;
        return nullptr;
    }
    template <typename T> T *find(QWidget *in, const char *name) {
        return in ? in->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }

    TreeBuilder tree;
    TestSettings settings, suite;
    AnsweringOpenPanel panel;
    std::unique_ptr<AppDelegate> delegate;
    int reviewsShown = 0;

private:
    std::unique_ptr<WindowController> m_window;
};

} // namespace zembra::test
