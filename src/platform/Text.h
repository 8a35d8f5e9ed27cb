#pragma once
// Text services: the localized, case- and diacritic-insensitive contains test, and the
// case-insensitive collation by which every list of records is sorted. Thread-safe.

#include <QCollator>
#include <QString>

#include <string>
#include <string_view>

namespace zembra::platform {

// NFKD, combining marks dropped, full case folding ("ß" folds like "ss"), as UTF-8.
// Fold each name once and test every key against the folded form.
std::string foldForMatch(const QString &text);
// The same for a name as the OS gave it (bytes, usually UTF-8); ASCII takes a fast path.
std::string foldForMatch(std::string_view bytes);

// UTF-8 bytes (a name as the OS gave it, a property-list string) as text, keeping every
// character: a leading U+FEFF stays, which QString::fromUtf8 and QFile::decodeName drop.
// Bytes that are not UTF-8 become U+FFFD.
QString decodeUtf8(std::string_view bytes);

// Substring test on folded text; an empty needle matches nothing.
inline bool containsFolded(std::string_view foldedHaystack, std::string_view foldedNeedle) {
    return !foldedNeedle.empty() && foldedHaystack.find(foldedNeedle) != std::string_view::npos;
}

// The contains test on two plain strings; a key that folds to "" matches nothing.
bool localizedStandardContains(const QString &haystack, const QString &key);

// Case-insensitive comparison in the user's locale (a named locale where the system's
// is "C", whose collation would sort by code point).
class LabelCollator {
public:
    LabelCollator();
    int compare(const QString &a, const QString &b) const { return m_collator.compare(a, b); }

private:
    QCollator m_collator;
};

} // namespace zembra::platform
