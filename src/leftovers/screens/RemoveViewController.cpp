#include "leftovers/screens/RemoveViewController.h"

#include "ui_RemoveViewController.h"

#include "catalogue/screens/ItemImage.h"
#include "leftovers/RemovalOutcome.h"
#include "leftovers/screens/OutcomeKeys.h"
#include "leftovers/screens/RatingKeys.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/VisibleText.h"
#include "shell/AppDelegate.h"
#include "shell/ElidedText.h"
#include "shell/NotificationCenter.h"
#include "shell/Presentation.h"
#include "shell/ScreenKeys.h"
#include "shell/ScreenNames.h"

namespace zembra {

namespace {
// Where the popovers point, in the view's AppKit coordinates (origin at the bottom left).
const QRectF kCantRemoveRect(230, 0, 340, 188);
const QRectF kRateAppRect(230, 46, 311, 140);
} // namespace

RemoveViewController::RemoveViewController(AppDelegate &app, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::RemoveViewController>()), m_app(app) {
    ui->setupUi(this);
    ui->size->setText(platform::formatByteCount(app.state().common_remove_size()));
    describeOutcome();
    if (const auto item = app.state().item()) {
        setElidedText(ui->name, platform::visiblyEscaped(item->label().value_or(QString())));
        const QIcon icon = itemImage(item->app_icon());
        if (!icon.isNull())
            ui->image->setPixmap(icon.pixmap(128, 128));
    }
    connect(ui->back_applications, &QPushButton::clicked, this,
            &RemoveViewController::back_applications);
    connect(ui->back_home, &QPushButton::clicked, this, &RemoveViewController::back_home);
    bindScreenKeys(this, ui->back_applications, ui->back_home);
    NotificationCenter::defaultCenter().addObserver(this, screens::kCloseRateApp,
                                                    [this] { close_rate_app(); });
}

RemoveViewController::~RemoveViewController() {
    if (m_popover)
        m_popover->close();
}

void RemoveViewController::describeOutcome() {
    const leftovers::RemovalOutcome last = m_app.state().last_removal();
    size_t remained = 0;
    for (const FileEntry &e : m_app.state().remainder_urls())
        remained += e.isFileURL() ? 1 : 0;
    const bool nothingRemoved =
        last.bundle != leftovers::BundleFate::Removed && last.removedEntries == 0;
    switch (last.bundle) {
    case leftovers::BundleFate::Removed:
        ui->caption->setText(tr("has been removed. Space freed:"));
        break;
    case leftovers::BundleFate::Remained:
        ui->caption->setText(tr("could not be removed. Space freed:"));
        break;
    case leftovers::BundleFate::Kept:
        ui->caption->setText(tr("was kept. Space freed:"));
        break;
    case leftovers::BundleFate::NotListed:
        ui->caption->setText(nothingRemoved ? tr("Nothing was removed. Space freed:")
                                            : tr("Leftovers removed. Space freed:"));
        break;
    }
    QStringList details;
    if (last.removedEntries > 0)
        details << (last.removedEntries == 1
                        ? tr("1 leftover entry removed.")
                        : tr("%1 leftover entries removed.").arg(last.removedEntries));
    else if (last.bundle != leftovers::BundleFate::NotListed)
        details << tr("No leftover entries removed.");
    if (remained > 0)
        details << (remained == 1 ? tr("1 entry could not be removed.")
                                  : tr("%1 entries could not be removed.").arg(remained));
    if (last.stopped)
        details << tr("The removal was stopped before its end; what was not removed stays.");
    ui->details->setText(details.join(QLatin1Char(' ')));
    ui->details->setVisible(!details.isEmpty());
}

void RemoveViewController::back_applications() {
    NotificationCenter::defaultCenter().post(screens::kApplicationsViewController);
}

void RemoveViewController::back_home() {
    NotificationCenter::defaultCenter().post(screens::kHomeViewController);
}

void RemoveViewController::close_rate_app() {
    if (m_popover)
        m_popover->close();
}

void RemoveViewController::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        viewDidAppear();
    }
}

void RemoveViewController::viewDidAppear() {
    platform::SettingsStore &settings = m_app.app_settings();
    const int removals = settings.integerForKey(screens::kRemoveAppCount) + 1;
    settings.setInteger(screens::kRemoveAppCount, removals);
    const int rated = settings.integerForKey(screens::kAppIsRate);
    const int launches = settings.integerForKey(screens::kAppLaunchCount);

    // Only the first entry left behind decides; the popover's button reveals them all.
    if (leftovers::remainderStands(m_app.state().remainder_urls())) {
        if (m_popover)
            m_popover->close();
        if (QWidget *content = m_app.storyboard().instantiate(screens::kCantRemove, nullptr))
            m_popover = showPopover(content, this, kCantRemoveRect);
        return;
    }
    if (removals % 10 == 0 && rated != 1) {
        if (m_popover)
            m_popover->close();
        if (QWidget *content = m_app.storyboard().instantiate(screens::kRateApp, nullptr))
            m_popover = showPopover(content, this, kRateAppRect);
        return;
    }
    if (rated == 1)
        return;
    // A launch count that was never counted (0) is no tenth launch.
    if (launches > 0 && launches % 10 == 0)
        if (QWidget *content = m_app.storyboard().instantiate(screens::kRateAppCount, nullptr))
            presentAsSheet(content, this);
}

} // namespace zembra
