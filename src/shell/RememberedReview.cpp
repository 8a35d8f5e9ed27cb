#include "shell/RememberedReview.h"

#include "catalogue/Application.h"
#include "catalogue/RemovedApplications.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"

#include <QTimer>

namespace zembra {

bool reviewRememberedApplication(AppDelegate &delegate, const QString &settingsFolder,
                                 const QString &key) {
    auto item =
        removedApplication(readSnapshot(snapshotFile(settingsFolder)),
                           Application(delegate.app_settings()).everyInstalledApplication(), key);
    if (!item)
        return false;
    delegate.state().setItem(std::move(item));
    QTimer::singleShot(0, &delegate, [] {
        NotificationCenter::defaultCenter().post(screens::kRemainderViewController);
    });
    return true;
}

} // namespace zembra
