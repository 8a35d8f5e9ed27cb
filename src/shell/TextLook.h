#pragma once
// A few words of style for a label on the first screen (its size, weight and colour), set
// on the widget's own font and palette. A style sheet says the same but brings Qt's
// style-sheet machinery (a CSS parser and a rule lookup on every paint) into the start.
// GUI thread only.

#include <QColor>

class QWidget;

namespace zembra {

struct TextLook {
    qreal pointSize = 0; // 0: the inherited size
    int weight = 0;      // 100..900 as in CSS; 0: the inherited weight
    QColor color;        // invalid: the inherited colour
};

void setTextLook(QWidget *widget, const TextLook &look);

} // namespace zembra
