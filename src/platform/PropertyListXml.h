#pragma once
// Work on the text of an XML property list that libplist cannot be trusted with.
//
// libplist decodes the character references of a string or key in place, moving the
// rest of the text once per reference: a long string full of "&amp;" costs quadratic
// time (a 15 MB Info.plist stalls for a minute). Its decoder is mirrored here in one
// linear pass, and the decoded text is handed over in CDATA sections, which libplist
// copies as they stand.
//
// A list Safari wrote is edited in its own bytes when an entry goes, so that every value
// libplist could not write back the same (years before 1000, -0.0, control characters),
// its comments and its layout stay exactly as they were.
//
// Both read the markup the way libplist's XML reader does; anything else is refused.
// Plain functions, any thread.

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zembra::platform {

// The same list with the text of every string and key holding a character reference
// replaced by its decoded bytes in CDATA sections: libplist reads the same values from
// both. `xml` itself when it holds no reference; nothing when a reference or the markup
// is malformed (libplist would refuse the list too).
std::optional<QByteArray> withDecodedReferences(std::string_view xml);

// `xml` without the items `indices` (ascending, 0-based) of the array stored under `key`
// in the top-level dictionary, each with the blank space before it; every other byte
// stays. Nothing when the markup is not understood, the key is missing or appears twice,
// its value is not an array, or an index is out of range.
std::optional<QByteArray> withoutArrayItems(std::string_view xml, std::string_view key,
                                            const std::vector<std::uint32_t> &indices);

} // namespace zembra::platform
