#include "preferences/screens/PreferencesWindow.h"

#include "platform/LoginItem.h"
#include "platform/Programs.h"
#include "platform/SettingsStore.h"
#include "preferences/screens/PreferencesPane.h"
#include "preferences/screens/PreferencesSpider.h"
#include "preferences/screens/PreferencesViewController.h"
#include "shell/AppDelegate.h"

#include <QAction>
#include <QActionGroup>
#include <QStackedWidget>
#include <QToolBar>

// The resource's initialiser lives in the global namespace.
static void initPreferencesResources() {
    Q_INIT_RESOURCE(preferences);
}

namespace zembra {

PreferencesWindow::PreferencesWindow(const std::vector<QWidget *> &panes, const QString &title,
                                     QWidget *parent)
    : QMainWindow(parent), m_stack(new QStackedWidget(this)) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("Preferences"));
    setAccessibleName(title);
    auto *toolbar = new QToolBar(tr("Panes"), this);
    toolbar->setObjectName(QStringLiteral("preferencesToolbar"));
    toolbar->setAccessibleName(tr("Preference panes"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(32, 32));
    toolbar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, toolbar);
    setContextMenuPolicy(Qt::NoContextMenu);

    auto *group = new QActionGroup(this);
    group->setExclusive(true);
    for (QWidget *widget : panes) {
        const auto *pane = dynamic_cast<const PreferencesPane *>(widget);
        if (!pane)
            continue;
        m_stack->addWidget(widget);
        QAction *item = toolbar->addAction(pane->toolbarItemImage(), pane->toolbarItemLabel());
        item->setObjectName(pane->identifier());
        item->setData(pane->identifier());
        item->setCheckable(true);
        item->setToolTip(pane->toolbarItemLabel());
        group->addAction(item);
        m_items.push_back(item);
        connect(item, &QAction::triggered, this,
                [this, id = pane->identifier()] { selectPane(id); });
    }
    setCentralWidget(m_stack);
    if (!m_items.empty())
        selectPane(m_items.front()->data().toString());
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::keepLoginItem(std::unique_ptr<platform::LoginItem> loginItem) {
    m_loginItem = std::move(loginItem);
}

bool PreferencesWindow::selectPane(const QString &identifier) {
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->data().toString() != identifier)
            continue;
        m_items[i]->setChecked(true);
        m_stack->setCurrentIndex(static_cast<int>(i));
        // The window fits the pane shown, as each pane has its own size.
        m_stack->currentWidget()->adjustSize();
        adjustSize();
        return true;
    }
    return false;
}

QString PreferencesWindow::selectedPane() const {
    const int i = m_stack->currentIndex();
    return i >= 0 && i < static_cast<int>(m_items.size())
               ? m_items[static_cast<size_t>(i)]->data().toString()
               : QString();
}

void PreferencesWindow::showWindow() {
    show();
    raise();
    activateWindow();
}

PreferencesWindow *makePreferencesWindow(AppDelegate &delegate, const QStringList &watcherArguments,
                                         const QStringList &runOnlyArguments, QWidget *parent) {
    initPreferencesResources();
    auto loginItem = platform::makeWatcherLoginItem(
        {platform::watcherProgram(), watcherArguments,
         platform::watcherPidFile(platform::SettingsStore::folder()), runOnlyArguments});
    auto *general = new PreferencesViewController(delegate.app_settings());
    auto *spider = new PreferencesSpider(delegate.app_settings(), delegate.suite(), *loginItem);
    auto *window = new PreferencesWindow({general, spider}, QObject::tr("Preferences"), parent);
    window->keepLoginItem(std::move(loginItem));
    return window;
}

namespace {
QAction *preferencesAction(QObject *parent) {
    auto *action = new QAction(QObject::tr("Preferences…"), parent);
    action->setObjectName(QStringLiteral("showPreferences"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    action->setMenuRole(QAction::PreferencesRole);
    return action;
}
} // namespace

QAction *makeShowPreferencesAction(PreferencesWindow *window, QObject *parent) {
    QAction *action = preferencesAction(parent);
    QObject::connect(action, &QAction::triggered, window, &PreferencesWindow::showWindow);
    return action;
}

QAction *makeShowPreferencesAction(std::function<PreferencesWindow *()> make, QObject *parent) {
    QAction *action = preferencesAction(parent);
    // The window is a top-level window of its own: the action's slot holds it and
    // deletes it with the action.
    auto window = std::make_shared<std::unique_ptr<PreferencesWindow>>();
    QObject::connect(action, &QAction::triggered, action, [window, make = std::move(make)] {
        if (!*window)
            window->reset(make());
        if (*window)
            (*window)->showWindow();
    });
    return action;
}

} // namespace zembra
