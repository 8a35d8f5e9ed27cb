#pragma once
// Where the application's links lead, in one place: its own store page, the store page of
// the maker's other application (Pelloria) and the product's web page. Where the system
// has no handler for the store's URL scheme (desktop Linux), the web page stands in for
// a store page. The store addresses carry no product number yet: it is assigned when the
// application is published.

#include <QUrl>

namespace zembra {

inline const QUrl kAppStorePage =
    QUrl(QStringLiteral("macappstore://apps.apple.com/app/uninstaller-zembra"));
inline const QUrl kPelloriaStorePage =
    QUrl(QStringLiteral("macappstore://apps.apple.com/app/pelloria"));
inline const QUrl kProductWebPage = QUrl(QStringLiteral("https://zembra.app/uninstaller/"));

// Opens the application's store page, or the product's web page where store links
// cannot be opened. GUI thread.
void openAppStorePage();

} // namespace zembra
