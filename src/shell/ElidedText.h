#pragma once
// A label that shows a name or path too long for it cut in the middle with an ellipsis,
// the whole text in its tooltip and as its spoken name. The text is shown as given:
// escape names first (platform::visiblyEscaped). GUI thread only.

#include <QString>
#include <Qt>

class QLabel;

namespace zembra {

// Shows `text` in `label`, elided to the label's width whenever that changes. The label
// takes the width its layout gives it rather than asking for the whole text's.
void setElidedText(QLabel *label, const QString &text, Qt::TextElideMode mode = Qt::ElideMiddle);

} // namespace zembra
