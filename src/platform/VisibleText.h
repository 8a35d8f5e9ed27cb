#pragma once
// Names and paths as a person may see them safely. A file name may hold any character
// but "/" and NUL: a carriage return, an escape sequence or a bidirectional override in a
// name could blank a line, move the cursor or reorder what follows, so that a list no
// longer shows what it lists. These functions show such characters as escapes instead.
// Pure functions, safe on any thread.

#include <QString>

#include <string_view>

namespace zembra::platform {

// True for the characters shown escaped: C0 controls, DEL, C1 controls, the line and
// paragraph separators (U+2028, U+2029) and the bidirectional marks, embeddings,
// overrides and isolates.
bool isInvisibleControl(char32_t c);

// `text` with every invisible control escaped ("\t", "\n", "\r", "\x1b" below U+0080,
// "\u0085", "\u202e" above) and every backslash doubled, so that an escape in the output
// always means an escaped character.
QString visiblyEscaped(const QString &text);

// `text` for a place that reads markup (a desktop notification's body): "&", "<", ">"
// and quotes as entities, so that a name is shown, never read as a tag. Apply it after
// visiblyEscaped where controls must show too.
QString markupEscaped(const QString &text);

// The same for bytes as the OS gave them (a path, a name): a byte that is not part of
// well-formed UTF-8 shows as "\xHH" (always 80 to ff, so never confused with a control).
QString visiblyEscaped(std::string_view bytes);

} // namespace zembra::platform
