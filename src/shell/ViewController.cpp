#include "shell/ViewController.h"

#include "ui_ViewController.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenNames.h"

#include <QAction>
#include <QMouseEvent>
#include <QWindow>

namespace zembra {

ViewController::ViewController(AppDelegate &delegate, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ViewController>()), m_delegate(delegate) {
    ui->setupUi(this);
    home_view_controller();

    const std::pair<QString, void (ViewController::*)()> observers[] = {
        {screens::kHomeViewController, &ViewController::home_view_controller},
        {screens::kApplicationsViewController, &ViewController::applications_view_controller},
        {screens::kRemainderViewController, &ViewController::remainder_view_controller},
        {screens::kRemoveViewController, &ViewController::remove_view_controller},
        {screens::kExtensionsViewController, &ViewController::extensions_view_controller},
        {screens::kPluginsViewController, &ViewController::plugins_view_controller},
        {screens::kPrefpanesViewController, &ViewController::prefpanes_view_controller},
        {screens::kSafariExtensionsViewController,
         &ViewController::safari_extensions_view_controller},
        {screens::kRemovedApplicationsViewController,
         &ViewController::removed_applications_view_controller},
    };
    for (const auto &[name, operation] : observers)
        NotificationCenter::defaultCenter().addObserver(
            this, name, [this, operation = operation] { (this->*operation)(); });

    // No system-wide hot keys on every desktop: an application-wide shortcut instead. An
    // action, so that the sheets over the window carry it too.
    auto *wholeDisk = new QAction(tr("Allow the Whole Disk…"), this);
    wholeDisk->setObjectName(QStringLiteral("showWholeDisk"));
    wholeDisk->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
    wholeDisk->setShortcutContext(Qt::ApplicationShortcut);
    addAction(wholeDisk);
    connect(wholeDisk, &QAction::triggered, this, &ViewController::presentOptionalPreferences);
}

ViewController::~ViewController() {
    NotificationCenter::defaultCenter().removeObservers(this);
}

void ViewController::home_view_controller() {
    switchTo(screens::kHome);
    m_delegate.app_settings().setInteger(screens::kSheet, 0);
}

void ViewController::applications_view_controller() {
    switchTo(screens::kApplications);
    m_delegate.app_settings().setInteger(screens::kSheet, 1);
}

void ViewController::remainder_view_controller() {
    switchTo(screens::kRemainder);
}
void ViewController::remove_view_controller() {
    switchTo(screens::kRemove);
}
void ViewController::extensions_view_controller() {
    switchTo(screens::kExtensions);
}
void ViewController::plugins_view_controller() {
    switchTo(screens::kPlugins);
}
void ViewController::prefpanes_view_controller() {
    switchTo(screens::kPrefPanes);
}
void ViewController::safari_extensions_view_controller() {
    switchTo(screens::kSafariExtensions);
}
void ViewController::removed_applications_view_controller() {
    switchTo(screens::kRemovedApplications);
}

void ViewController::switchTo(const QString &identifier) {
    QWidget *screen = m_delegate.storyboard().instantiate(identifier, ui->containerView);
    if (!screen)
        return; // not built into this program: the current screen stays
    if (QWidget *old = m_current) {
        ui->containerLayout->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    ui->containerLayout->addWidget(screen);
    screen->show();
    m_current = screen;
    // The keyboard starts on the new screen, not nowhere (the old one had the focus).
    focusFirstControl(screen);
    m_currentIdentifier = identifier;
    emit screenShown(identifier);
}

void ViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        focusFirstControl(m_current);
        viewWillAppear();
    }
}

void ViewController::viewWillAppear() {
    auto &settings = m_delegate.app_settings();
    settings.setInteger(screens::kPresentAsSheet, 0);
    const grants::GrantStore store(settings);
    // Both are resolved (which starts access) before either is judged.
    const bool homeValid = store.isValid(grants::kHome);
    const bool applicationsValid = store.isValid(grants::kApplications);
    if (homeValid && applicationsValid)
        return;
    QWidget *sandbox = m_delegate.storyboard().instantiate(screens::kSandbox, nullptr);
    if (!sandbox)
        return;
    settings.setInteger(screens::kPresentAsSheet, 1);
    m_sandbox = sandbox;
    // Only both grants close it; its Quit button is the way out.
    presentAsLastingSheet(sandbox, this);
}

void ViewController::presentOptionalPreferences() {
    if (m_wholeDisk) { // pressed again while it is up: one sheet, not a stack of them
        m_wholeDisk->window()->raise();
        return;
    }
    if (QWidget *screen =
            m_delegate.storyboard().instantiate(screens::kOptionalPreferences, nullptr)) {
        m_wholeDisk = screen;
        presentAsSheet(screen, this);
    }
}

void ViewController::mousePressEvent(QMouseEvent *event) {
    // A press on the window's background (no control took it) drags the window.
    if (event->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

} // namespace zembra
