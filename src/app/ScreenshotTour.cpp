#include "app/ScreenshotTour.h"

#include "extensions/screens/ExtensionScreenNames.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace zembra {

namespace {
constexpr int kSettleMs = 400;
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 60; // a screen gets six seconds to be ready

bool isScene(QWidget *w) {
    return qobject_cast<QDialog *>(w) || w->windowType() == Qt::Popup;
}
} // namespace

void ScreenshotTour::start(WindowController &window, AppDelegate &delegate, const QString &folder) {
    auto *tour = new ScreenshotTour(window, delegate, folder);
    tour->plan();
    QTimer::singleShot(kSettleMs, tour, &ScreenshotTour::next);
}

ScreenshotTour::ScreenshotTour(WindowController &window, AppDelegate &delegate,
                               const QString &folder)
    : QObject(&window), m_window(window), m_delegate(delegate), m_folder(folder) {
    QDir().mkpath(folder);
}

void ScreenshotTour::plan() {
    m_steps.push_back({[this] {
                           closeScenes();
                           return true;
                       },
                       kSettleMs});
    m_steps.push_back({[this] {
                           shoot(screens::kHome);
                           return true;
                       },
                       0});
    addSheet(screens::kSandbox, true);
    addSheet(screens::kOptionalPreferences);
    addScreen(screens::kRemovedApplicationsViewController, screens::kRemovedApplications,
              [this] { return searchesFinished(); });
    addScreen(screens::kApplicationsViewController, screens::kApplications,
              [this] { return selectApplication(QStringLiteral("Sketchpad")); });
    addSheet(screens::kInstalledapps);
    addScreen(screens::kRemainderViewController, screens::kRemainder,
              [this] { return searchesFinished(); });
    // The tour deletes nothing: the outcome shows the reviewed selection as if it went,
    // first with its last leftover refused (under the "could not remove" popover), then
    // whole.
    m_steps.push_back({[this] {
                           m_delegate.state().setLast_removal(shownOutcome(true));
                           return true;
                       },
                       0});
    addScreen(screens::kRemoveViewController, screens::kRemove);
    addPopover(screens::kCantRemove, QRectF(230, 0, 340, 188));
    m_steps.push_back({[this] {
                           m_delegate.state().setLast_removal(shownOutcome(false));
                           return true;
                       },
                       0});
    addScreen(screens::kRemoveViewController, screens::kRemove);
    addPopover(screens::kRateApp, QRectF(230, 46, 311, 140));
    addSheet(screens::kLaunched);
    addSheet(screens::kRateAppCount);
    // The extensions hub and its lists; sizes arrive from a worker, so each gets a moment.
    addScreen(screens::kExtensionsViewController, screens::kExtensions);
    addScreen(screens::kPluginsViewController, screens::kPlugins,
              [this] { return m_tries * kPollMs >= 800; });
    addPopoverAt(screens::kMorePlugins, QStringLiteral("removePluginButton"));
    addPopoverAt(screens::kBundleCantRemove, QStringLiteral("removePluginButton"));
    addSheet(screens::kInstalledBundles);
    addScreen(screens::kPrefpanesViewController, screens::kPrefPanes,
              [this] { return m_tries * kPollMs >= 800; });
    addScreen(screens::kSafariExtensionsViewController, screens::kSafariExtensions,
              [this] { return m_tries * kPollMs >= 800; });
    addSheet(screens::kLaunchedSafariExtensions);
    addWindow(QStringLiteral("showAbout"), QStringLiteral("AboutWindow"),
              {{QString(), QStringLiteral("About")}});
    addWindow(QStringLiteral("showPreferences"), QStringLiteral("Preferences"),
              {{QStringLiteral("PreferencesMain"), QStringLiteral("PreferencesMain")},
               {QStringLiteral("PreferencesSpider"), QStringLiteral("PreferencesSpider")}});
    m_steps.push_back({[] {
                           QApplication::quit();
                           return true;
                       },
                       0});
}

leftovers::RemovalOutcome ScreenshotTour::shownOutcome(bool lastLeftoverRefused) const {
    leftovers::RemovalOutcome shown;
    shown.bundle = leftovers::BundleFate::Removed;
    const auto item = m_delegate.state().item();
    if (!item)
        return shown;
    const std::vector<FileEntry> files = item->files();
    for (const FileEntry &f : files)
        if (f.isFileURL() && f.path() != item->url())
            ++shown.removedEntries;
    if (lastLeftoverRefused && shown.removedEntries > 0) {
        for (auto f = files.rbegin(); f != files.rend(); ++f)
            if (f->isFileURL() && f->path() != item->url()) {
                shown.remainder_urls.push_back(*f);
                break;
            }
        --shown.removedEntries;
    }
    return shown;
}

bool ScreenshotTour::searchesFinished() {
    // A screen that searches is ready when no busy indicator is left showing.
    QWidget *screen = m_window.viewController()->viewcontrollerC();
    if (!screen || m_tries * kPollMs < 1000)
        return false;
    for (QWidget *w : screen->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const auto *bar = qobject_cast<QProgressBar *>(w);
        const QString name = w->objectName().toLower();
        if ((bar && bar->maximum() == 0) || name.contains(QLatin1String("busy")) ||
            name.contains(QLatin1String("spinner")))
            return false;
    }
    return true;
}

void ScreenshotTour::addWindow(const QString &action, const QString &window,
                               const std::vector<std::pair<QString, QString>> &shots) {
    // Windows of their own (About, Preferences), opened from the application menu; each
    // shot may first trigger an action of that window (a toolbar pane).
    QAction *open = m_window.findChild<QAction *>(action);
    if (!open)
        return;
    m_steps.push_back({[this, open] {
                           closeScenes();
                           open->trigger();
                           return true;
                       },
                       kSettleMs});
    for (const auto &[paneAction, shot] : shots) {
        m_steps.push_back({[window, paneAction] {
                               for (QWidget *w : QApplication::topLevelWidgets())
                                   if (w->objectName() == window && w->isVisible() &&
                                       !paneAction.isEmpty())
                                       if (auto *pane = w->findChild<QAction *>(paneAction))
                                           pane->trigger();
                               return true;
                           },
                           kSettleMs / 2});
        m_steps.push_back({[this, window, shot] {
                               for (QWidget *w : QApplication::topLevelWidgets())
                                   if (w->objectName() == window && w->isVisible())
                                       save(w->grab(), shot);
                               return true;
                           },
                           0});
    }
    m_steps.push_back({[window] {
                           for (QWidget *w : QApplication::topLevelWidgets())
                               if (w->objectName() == window)
                                   w->close();
                           return true;
                       },
                       0});
}

void ScreenshotTour::addShotThenClose(const QString &identifier) {
    m_steps.push_back({[this, identifier] {
                           shoot(identifier);
                           closeScenes();
                           return true;
                       },
                       kSettleMs / 2});
}

void ScreenshotTour::addPopoverAt(const QString &identifier, const QString &control) {
    if (!m_delegate.storyboard().contains(identifier))
        return;
    m_steps.push_back(
        {[this, identifier, control] {
             closeScenes();
             QWidget *screen = m_window.viewController()->viewcontrollerC();
             QWidget *anchor = screen ? screen->findChild<QWidget *>(control) : nullptr;
             if (!anchor)
                 return true;
             if (QWidget *content = m_delegate.storyboard().instantiate(identifier, nullptr))
                 showPopover(content, anchor, QRectF(0, 0, anchor->width(), anchor->height()));
             return true;
         },
         kSettleMs});
    addShotThenClose(identifier);
}

void ScreenshotTour::addScreen(const QString &notification, const QString &identifier,
                               std::function<bool()> ready) {
    if (!m_delegate.storyboard().contains(identifier))
        return;
    m_steps.push_back({[notification] {
                           NotificationCenter::defaultCenter().post(notification);
                           return true;
                       },
                       kSettleMs});
    m_steps.push_back({[this, identifier, ready] {
                           if (ready && !ready() && m_tries < kMaxPolls)
                               return false;
                           shoot(identifier);
                           return true;
                       },
                       0});
}

void ScreenshotTour::addSheet(const QString &identifier, bool lasting) {
    if (!m_delegate.storyboard().contains(identifier))
        return;
    auto content = std::make_shared<QPointer<QWidget>>();
    m_steps.push_back({[this, identifier, lasting, content] {
                           closeScenes();
                           *content = m_delegate.storyboard().instantiate(identifier, nullptr);
                           if (*content)
                               lasting ? presentAsLastingSheet(*content, &m_window)
                                       : presentAsSheet(*content, &m_window);
                           return true;
                       },
                       kSettleMs});
    m_steps.push_back({[this, identifier, content] {
                           shoot(identifier);
                           dismiss(*content); // a lasting sheet closes only so
                           closeScenes();
                           return true;
                       },
                       kSettleMs / 2});
}

void ScreenshotTour::addPopover(const QString &identifier, const QRectF &appKitRect) {
    if (!m_delegate.storyboard().contains(identifier))
        return;
    m_steps.push_back(
        {[this, identifier, appKitRect] {
             closeScenes();
             QWidget *view = m_window.viewController()->viewcontrollerC();
             if (QWidget *content = m_delegate.storyboard().instantiate(identifier, nullptr))
                 showPopover(content, view ? view : m_window.viewController(), appKitRect);
             return true;
         },
         kSettleMs});
    addShotThenClose(identifier);
}

void ScreenshotTour::next() {
    if (m_next >= m_steps.size())
        return;
    const Step &step = m_steps[m_next];
    if (!step.run()) {
        ++m_tries;
        QTimer::singleShot(kPollMs, this, &ScreenshotTour::next);
        return;
    }
    m_tries = 0;
    ++m_next;
    QTimer::singleShot(step.delayAfterMs, this, &ScreenshotTour::next);
}

void ScreenshotTour::closeScenes() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != &m_window && w->isVisible() && isScene(w))
            w->close();
}

bool ScreenshotTour::selectApplication(const QString &label) {
    QWidget *screen = m_window.viewController()->viewcontrollerC();
    auto *list =
        screen ? screen->findChild<QAbstractItemView *>(QStringLiteral("tableviewA")) : nullptr;
    if (!list || !list->model())
        return false;
    // The list is read on a worker: shot once every row is in.
    if (const auto *loading = screen->findChild<QWidget *>(QStringLiteral("loading"));
        loading && loading->isVisibleTo(screen))
        return false;
    const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                       label, 1, Qt::MatchExactly);
    if (found.isEmpty())
        return true; // not in this tree: the list is shown unselected
    list->setCurrentIndex(found.front());
    return true;
}

void ScreenshotTour::shoot(const QString &name) {
    QPixmap picture = m_window.grab();
    QPainter painter(&picture);
    const QPoint origin = m_window.mapToGlobal(QPoint(0, 0));
    // Sheets first (dimming the window under them), popovers above them.
    for (const bool popups : {false, true}) {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w == &m_window || !w->isVisible() || !isScene(w) || isPopover(w) != popups)
                continue;
            if (!popups)
                painter.fillRect(picture.rect(), QColor(0, 0, 0, 50));
            const QRect where(w->mapToGlobal(QPoint(0, 0)) - origin, w->size());
            painter.drawPixmap(where.topLeft(), w->grab());
            painter.setPen(QColor(150, 150, 150));
            painter.drawRect(where.adjusted(0, 0, -1, -1));
        }
    }
    painter.end();
    save(picture, name);
}

void ScreenshotTour::save(const QPixmap &picture, const QString &name) {
    const QString file = m_folder + QLatin1Char('/') + name + QLatin1String(".png");
    if (!picture.save(file))
        std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(file));
    else
        std::printf("%s\n", qPrintable(file));
}

} // namespace zembra
