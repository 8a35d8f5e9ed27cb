#pragma once
// Names as the screens show them: control characters, line and paragraph separators and
// bidirectional overrides become visible escapes (\x0a, \u202e), so a file name cannot
// break its row, hide itself or pose as another entry. Any thread.

#include <QString>

namespace zembra {

QString visibleText(const QString &text);

} // namespace zembra
