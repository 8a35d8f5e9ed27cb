#pragma once
// The product's web pages that the screens open. One place for every address, so that
// a change of site touches one line.

#include <QUrl>

namespace zembra::links {

// The product's web site; "more/" is the page about plug-ins and preference panes that
// the information screens offer.
inline const QUrl kProductSite = QUrl(QStringLiteral("https://zembra.app/"));
inline const QUrl kProductMorePage = QUrl(QStringLiteral("https://zembra.app/more/"));

} // namespace zembra::links
