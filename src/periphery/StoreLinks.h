#pragma once
// Every address the application opens, in one place: its own store page, the store page
// of the maker's other application (Pelloria), the product's web page and the page about
// plug-ins and preference panes. Where the system has no handler for the store's URL
// scheme (desktop Linux), a web address stands in for each store page. The store
// addresses carry no product number yet: it is assigned when the application is
// published.

#include <QUrl>

namespace zembra {

// The product's web page: the same address the package metadata and the AppStream entry
// give as the home page (ZEMBRA_HOMEPAGE in the top-level CMakeLists.txt).
inline const QUrl kProductWebPage =
    QUrl(QStringLiteral("https://github.com/torvan-belquist/uninstaller-zembra"));
// The page about plug-ins and preference panes, "more/" below the product's web page.
inline const QUrl kProductMorePage = QUrl(kProductWebPage.toString() + QStringLiteral("/more/"));

inline const QUrl kAppStorePage =
    QUrl(QStringLiteral("macappstore://apps.apple.com/app/uninstaller-zembra"));
inline const QUrl kPelloriaStorePage =
    QUrl(QStringLiteral("macappstore://apps.apple.com/app/pelloria"));
// The store's own web preview of Pelloria's page, which any browser shows.
inline const QUrl kPelloriaWebPage = QUrl(QStringLiteral("https://apps.apple.com/app/pelloria"));

// Opens the application's store page, or the product's web page where store links
// cannot be opened. GUI thread.
void openAppStorePage();
// Opens Pelloria's store page, or its web preview where store links cannot be opened.
// GUI thread.
void openPelloriaStorePage();
// Opens the product's web page. GUI thread.
void openProductWebPage();

} // namespace zembra
