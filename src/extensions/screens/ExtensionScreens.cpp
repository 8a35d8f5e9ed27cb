#include "extensions/screens/ExtensionScreens.h"

#include "extensions/screens/BundleCantRemoveViewController.h"
#include "extensions/screens/ExtensionScreenNames.h"
#include "extensions/screens/ExtensionsViewController.h"
#include "extensions/screens/InfoPluginsViewController.h"
#include "extensions/screens/InfoPrefPanesViewController.h"
#include "extensions/screens/LaunchedSafari.h"
#include "extensions/screens/PluginsViewController.h"
#include "extensions/screens/PrefpanesViewController.h"
#include "extensions/screens/SafariExtensionsViewController.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenRegistry.h"

#include "ui_InstalledBundles.h"
#include "ui_InstalledPrefpanes.h"
#include "ui_InstalledSafariExtensions.h"

namespace zembra {

namespace {

// A scene with no behaviour of its own: its form only.
template <typename Form> QWidget *notice(QWidget *parent) {
    auto *widget = new QWidget(parent);
    Form form;
    form.setupUi(widget);
    return widget;
}

// Every scene carries its identifier as object name, so it can be found on screen.
void add(ScreenRegistry &registry, const QString &identifier,
         std::function<QWidget *(QWidget *)> make) {
    registry.add(identifier, [identifier, make = std::move(make)](QWidget *parent) {
        QWidget *w = make(parent);
        w->setObjectName(identifier);
        return w;
    });
}

} // namespace

void registerExtensionScreens(ScreenRegistry &registry, AppDelegate &delegate) {
    AppDelegate *d = &delegate;
    add(registry, screens::kExtensions,
        [d](QWidget *p) { return new ExtensionsViewController(*d, p); });
    add(registry, screens::kPlugins, [d](QWidget *p) { return new PluginsViewController(*d, p); });
    add(registry, screens::kPrefPanes,
        [d](QWidget *p) { return new PrefpanesViewController(*d, p); });
    add(registry, screens::kSafariExtensions,
        [d](QWidget *p) { return new SafariExtensionsViewController(*d, p); });
    add(registry, screens::kInstalledBundles, notice<Ui::InstalledBundles>);
    add(registry, screens::kInstalledPrefpanes, notice<Ui::InstalledPrefpanes>);
    add(registry, screens::kInstalledSafariExtensions, notice<Ui::InstalledSafariExtensions>);
    add(registry, screens::kMorePlugins,
        [](QWidget *p) { return new InfoPluginsViewController(p); });
    add(registry, screens::kMorePrefpanes,
        [](QWidget *p) { return new InfoPrefPanesViewController(p); });
    add(registry, screens::kBundleCantRemove,
        [d](QWidget *p) { return new BundleCantRemoveViewController(*d, p); });
    add(registry, screens::kLaunchedSafariExtensions,
        [d](QWidget *p) { return new LaunchedSafari(*d, p); });
}

} // namespace zembra
