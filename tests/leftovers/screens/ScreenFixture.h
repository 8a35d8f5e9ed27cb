#pragma once
// Shared set-up of the leftover screen tests: a temporary tree with its grants, an
// application delegate on test settings, the leftover screens registered, a workspace
// that records what it was asked, and the names posted to the notification centre.

#include "catalogue/Application.h"
#include "grants/GrantStore.h"
#include "leftovers/screens/LeftoverScreens.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenProbes.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace zembra::test {

class ScreenFixture : public ::testing::Test {
protected:
    void SetUp() override {
        settings.grantTree(t, "Users/me", false);
        app = std::make_unique<AppDelegate>(settings.store(), suite.store());
        leftovers::RemovalServices services;
        services.playCompletionSound = [this] { ++sounds; };
        registerLeftoverScreens(app->storyboard(), *app, services);
        platform::Workspace::setShared(&workspace);
        for (const QString &name :
             {screens::kHomeViewController, screens::kApplicationsViewController,
              screens::kRemoveViewController})
            NotificationCenter::defaultCenter().addObserver(
                &observer, name, [this, name] { posted.push_back(name); });
        window.resize(600, 420);
        window.show();
    }
    void TearDown() override {
        delete screen;
        QThreadPool::globalInstance()->waitForDone(); // no search outlives the settings
        NotificationCenter::defaultCenter().removeObservers(&observer);
        platform::Workspace::setShared(nullptr);
    }

    // Makes the record of a bundle of the tree the shared item, as the list does.
    std::shared_ptr<ApplicationItem> choose(const std::filesystem::path &bundle) {
        auto item = Application(settings.store()).application(bundle);
        app->state().setItem(item);
        return item;
    }
    // Shows the screen `identifier` in the window, replacing the one shown.
    QWidget *open(const QString &identifier) {
        delete screen;
        screen = app->storyboard().instantiate(identifier, &window);
        screen->resize(window.size());
        screen->show();
        return screen;
    }
    template <typename T> T *child(const char *name) const {
        return screen->findChild<T *>(QString::fromLatin1(name));
    }
    // The sheet (window-modal dialog) that holds a `T`, if one is open.
    template <typename T> T *sheetContent() const {
        for (QDialog *d : window.findChildren<QDialog *>())
            if (d->isVisible())
                if (T *content = d->findChild<T *>())
                    return content;
        return nullptr;
    }

    TreeBuilder t;
    TestSettings settings;
    TestSettings suite;
    std::unique_ptr<AppDelegate> app;
    RecordingWorkspace workspace;
    QObject observer;
    std::vector<QString> posted;
    QWidget window;
    QWidget *screen = nullptr;
    int sounds = 0;
};

} // namespace zembra::test
