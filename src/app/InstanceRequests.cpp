#include "app/InstanceRequests.h"

#include "extensions/screens/ExtensionRemover.h"
#include "leftovers/screens/RemovalRunner.h"
#include "platform/FileSystem.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ProgramOptions.h"
#include "shell/RememberedReview.h"
#include "shell/ScreenNames.h"
#include "shell/ViewController.h"
#include "shell/WindowController.h"

#include <QFile>
#include <QTimer>

namespace zembra {

std::map<std::string, std::string>
absoluteGrants(const std::map<std::string, std::string> &grants) {
    std::map<std::string, std::string> absolute;
    for (const auto &[option, folder] : grants)
        absolute[option] = platform::absolutePath(folder).native();
    return absolute;
}

platform::ActivationRequest requestOf(const ProgramOptions &options) {
    platform::ActivationRequest request;
    if (!options.reviewRemembered.isEmpty()) {
        request.action = platform::kActionReviewRemembered;
        request.key = options.reviewRemembered;
    } else if (options.removedApplications) {
        request.action = platform::kActionRemovedApplications;
    }
    request.grants = absoluteGrants(options.grants);
    return request;
}

QString openRequestedScreen(AppDelegate &delegate, const QString &settingsFolder,
                            const platform::ActivationRequest &request) {
    if (request.action == platform::kActionReviewRemembered) {
        if (!reviewRememberedApplication(delegate, settingsFolder, request.key))
            return QStringLiteral("no remembered application ") + request.key;
    } else if (request.action == platform::kActionRemovedApplications) {
        QTimer::singleShot(0, &delegate, [] {
            NotificationCenter::defaultCenter().post(screens::kRemovedApplicationsViewController);
        });
    }
    return QString();
}

InstanceRequests::InstanceRequests(AppDelegate &delegate, WindowController &window,
                                   QString settingsFolder,
                                   std::map<std::string, std::string> ownGrants)
    : m_delegate(delegate), m_window(window), m_settingsFolder(std::move(settingsFolder)),
      m_ownGrants(std::move(ownGrants)) {}

QString InstanceRequests::answer(const platform::ActivationRequest &request) {
    if (!request.grants.empty() && request.grants != m_ownGrants)
        return QStringLiteral(
            "the running window works on other folders than --applications, --home or --root "
            "give; close it first, or give this run a settings folder of its own "
            "(--settings-dir)");
    m_window.bringForward();
    if (!request.action.isEmpty() && removalRunning())
        return QStringLiteral("a removal is running in the window; it was brought forward");
    return openRequestedScreen(m_delegate, m_settingsFolder, request);
}

bool InstanceRequests::removalRunning() const {
    for (const RemovalRunner *runner : m_window.findChildren<RemovalRunner *>())
        if (runner->isRunning())
            return true;
    for (const ExtensionRemover *remover : m_window.findChildren<ExtensionRemover *>())
        if (remover->isBusy())
            return true;
    return false;
}

void recordScreens(WindowController &window, const QString &file) {
    auto record = [file](const QByteArray &line) {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Append))
            out.write(line + '\n');
    };
    record("screen " + window.viewController()->currentIdentifier().toUtf8());
    QObject::connect(
        window.viewController(), &ViewController::screenShown, &window,
        [record](const QString &identifier) { record("screen " + identifier.toUtf8()); });
    QObject::connect(&window, &WindowController::broughtForward, &window,
                     [record] { record("raise"); });
}

} // namespace zembra
