#pragma once
// The fixed words of the leftover lists: category markers, the placeholder of a
// deselected row, and the group titles the review shows.

#include <QString>

namespace zembra::leftovers {

inline const QString kExecutables = QStringLiteral("Executables");
inline const QString kPreferences = QStringLiteral("Preferences");
inline const QString kSupportfiles = QStringLiteral("Supportfiles");
inline const QString kLauchAgents = QStringLiteral("LauchAgents");
inline const QString kLogs = QStringLiteral("Logs");
inline const QString kPlugins = QStringLiteral("Plugins");
inline const QString kDesktop = QStringLiteral("Desktop");
inline const QString kOther = QStringLiteral("Other");
// Heads the "Possibly related" group, which the review appends after the search's own.
inline const QString kRelated = QStringLiteral("Related");

inline const QString kEmpty = QStringLiteral("Empty");

// What a flagged row shows when the item and another application tie to it as much.
inline const QString kShared = QStringLiteral("shared");
// Why a related entry is offered.
inline const QString kSameIdentifier = QStringLiteral("same identifier");
inline const QString kTeamIdPrefix = QStringLiteral("team-ID prefix");
inline const QString kGroupIdentifier = QStringLiteral("group identifier");
inline const QString kSameProduct = QStringLiteral("identifier of the same product");
inline const QString kByHostPreferences = QStringLiteral("ByHost preferences");
inline const QString kVendorFolder = QStringLiteral("vendor folder");
inline const QString kInnerIdentifier =
    QStringLiteral("identifier of a bundle inside the application");
inline const QString kApplicationGroup = QStringLiteral("application group of its signature");
inline const QString kSameVendor = QStringLiteral("same vendor");
inline const QString kLinkIntoBundle = QStringLiteral("link into the application");
inline const QString kNamedInHome = QStringLiteral("named after the product, in the home folder");
inline const QString kLogOfProduct = QStringLiteral("log named after the product");
inline const QString kWordOfProduct = QStringLiteral("named after a word of the product's name");
inline const QString kProductAndWord = QStringLiteral("named after the product and a word");
// Why a removal keeps a row (each followed by names or a reason where it ends in a blank).
inline const QString kKeptAlsoUsedBy = QStringLiteral("also used by ");
inline const QString kKeptSharedWith = QStringLiteral("shared with ");
inline const QString kKeptWeakMatch = QStringLiteral("weak match");
// Outside the folders the user allowed for deletion (in practice: the system folders).
inline const QString kKeptNotAllowed = QStringLiteral("needs access to system folders");
inline const QString kKeptPossiblyRelated = QStringLiteral("possibly related: ");
inline const QString kKeptHoldsKept = QStringLiteral("holds a kept entry");
inline const QString kKeptByUser = QStringLiteral("kept");

// The short label that stands in when too little of the label is left.
inline const QString kSmallLabel = QStringLiteral("label_name_ad_is_small");
inline const QString kAppleCompany = QStringLiteral("apple");
inline const QString kAppleCompanyReplacement = QStringLiteral("companyname");
inline const QString kXcodeIdentifier = QStringLiteral("com.apple.dt.Xcode");

// The title a group row shows for a marker word ("Support files" for "Supportfiles").
QString groupTitle(const QString &markerWord);

} // namespace zembra::leftovers
