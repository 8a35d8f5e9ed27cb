#pragma once
// Renders every registered screen, sheet and popover of the real main window into PNG
// files (the README's pictures), driving it as a user would: by posting the screen names
// and presenting scenes by identifier. Identifiers not registered in this build are
// skipped. Each picture is the whole window with its open sheet or popover drawn on top;
// the About window, a window of its own, is pictured alone.
// Runs from the event loop with timers; quits the application when done.

#include "leftovers/RemovalOutcome.h"

#include <QObject>
#include <QPixmap>
#include <QRectF>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace zembra {

class AppDelegate;
class WindowController;

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    static void start(WindowController &window, AppDelegate &delegate, const QString &folder);

private:
    // A step returns false while what it waits for is not ready; it is then tried again.
    struct Step {
        std::function<bool()> run;
        int delayAfterMs;
    };

    ScreenshotTour(WindowController &window, AppDelegate &delegate, const QString &folder);
    void plan();
    void next();
    void shoot(const QString &name);
    void save(const QPixmap &picture, const QString &name);
    void addWindow(const QString &action, const QString &window,
                   const std::vector<std::pair<QString, QString>> &shots);
    void addPopoverAt(const QString &identifier, const QString &control);
    // Shoots the open popover or sheet, then closes every scene.
    void addShotThenClose(const QString &identifier);
    bool searchesFinished();
    // The outcome the tour shows for the reviewed item: everything went, or all but its last
    // leftover.
    leftovers::RemovalOutcome shownOutcome(bool lastLeftoverRefused) const;
    // `lasting`: shown as the product shows the access sheet, without a Close button.
    void addSheet(const QString &identifier, bool lasting = false);
    void addPopover(const QString &identifier, const QRectF &appKitRect);
    void addScreen(const QString &notification, const QString &identifier,
                   std::function<bool()> ready = {});
    void closeScenes();
    bool selectApplication(const QString &label);

    WindowController &m_window;
    AppDelegate &m_delegate;
    QString m_folder;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_tries = 0;
};

} // namespace zembra
