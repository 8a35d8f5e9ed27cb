#include "shell/RememberedReview.h"

#include "catalogue/ApplicationSnapshot.h"
#include "shell/AppDelegate.h"
#include "shell/NotificationCenter.h"
#include "shell/ScreenNames.h"

#include <QTimer>

namespace zembra {

bool reviewRememberedApplication(AppDelegate &delegate, const QString &settingsFolder, const QString &key)
{
    auto item = rememberedApplication(readSnapshot(snapshotFile(settingsFolder)), key);
    if (!item)
        return false;
    delegate.state().setItem(std::move(item));
    QTimer::singleShot(0, &delegate, [] { NotificationCenter::defaultCenter().post(screens::kRemainderViewController); });
    return true;
}

} // namespace zembra
