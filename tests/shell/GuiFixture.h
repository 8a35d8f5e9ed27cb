#pragma once
// A desktop program on a temporary tree: its own settings stores, the delegate with every
// screen of this build registered, a probe in place of the leftover review, an open panel
// that answers as the test says, and the real main window.

#include "platform/OpenPanel.h"
#include "shell/AppDelegate.h"
#include "support/TreeBuilder.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zembra {
class WindowController;
}

namespace zembra::test {

// Answers each open panel with the next queued folder (nothing: cancelled).
class AnsweringOpenPanel : public platform::OpenPanel {
public:
    void beginModal(const Request &request, QWidget *, QObject *, Done done) override {
        requests.push_back(request);
        std::optional<fs::path> answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        done(answer);
    }
    std::deque<std::optional<fs::path>> answers;
    std::vector<Request> requests;
};

class GuiTest : public ::testing::Test {
protected:
    GuiTest();
    ~GuiTest() override;

    // A home folder named after the login user, and an Applications folder.
    fs::path home() const;
    void grantBoth();
    // The main window, shown; made once per test.
    WindowController &window();
    QWidget *screen();
    // The screen's class name, or "" before the first switch.
    QString screenName();
    void post(const QString &name);
    // Runs posted events and deferred deletions, and waits for a list still loading.
    static void settle();
    // The visible sheets and popovers over the window, and the one whose content is of
    // `className`.
    static std::vector<QWidget *> openScenes();
    static QWidget *openScene(const char *className);
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
