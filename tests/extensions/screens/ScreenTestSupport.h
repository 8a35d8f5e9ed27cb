#pragma once
// What the extension screen tests share: an offscreen application delegate on a test
// tree with the screens registered, a workspace double that records what it was asked
// to show, and helpers to find what is on screen and to wait for the 0.3-second polls.

#include "shell/AppDelegate.h"
#include "shell/ScreenProbes.h"
#include "support/TreeBuilder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zembra::test {

class ExtensionScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The screen `identifier` in a window of its own, shown.
    QWidget *open(const QString &identifier);
    // A plug-in in the home Library's Address Book folder.
    fs::path plugin(const std::string &name, const std::string &identifier);
    // Safari's list with one extension per (archive, identifier), the archives on disk.
    void safariExtensions(const std::vector<std::pair<std::string, std::string>> &entries);
    void setLaunchCount(int count, bool allowAny);

    TreeBuilder t;
    TestSettings settings;
    TestSettings suite;
    RecordingWorkspace workspace{true};
    std::unique_ptr<AppDelegate> delegate;
    QStringList posted;
};

// The visible scene (sheet or popover content) with the object name `identifier`.
QWidget *visibleScene(const QString &identifier);
// Deletes every window with its sheets and popovers.
void closeAllWindows();
// Lets queued calls and zero timers run.
void settle();
QPushButton *button(QWidget *in, const char *name);

} // namespace zembra::test
