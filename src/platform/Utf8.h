#pragma once
// The one reader and writer of UTF-8 bytes: names as the OS gave them, property-list
// text, JSON output. Strict: a sequence that is overlong, a surrogate, past U+10FFFF, cut
// short or missing a continuation byte is not UTF-8. Pure functions, safe on any thread.

#include <string>
#include <string_view>

namespace zembra::platform {

// Decodes the sequence starting at `bytes[at]` into `codePoint`; its length in bytes, or
// 0 when it is not well-formed UTF-8 (then `codePoint` is left alone).
size_t decodeUtf8Sequence(std::string_view bytes, size_t at, char32_t &codePoint);

// Well-formed UTF-8 throughout.
bool isUtf8(std::string_view bytes);

// Appends the encoding of `codePoint` (at most U+10FFFF). A surrogate is encoded as its
// three bytes, as the property-list reader does for a numeric reference to one.
void appendUtf8(std::string &out, char32_t codePoint);

} // namespace zembra::platform
