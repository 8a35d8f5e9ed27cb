#include "shell/TextLook.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace zembra {

void setTextLook(QWidget *widget, const TextLook &look) {
    if (look.pointSize > 0 || look.weight > 0) {
        QFont font = widget->font();
        if (look.pointSize > 0)
            font.setPointSizeF(look.pointSize);
        if (look.weight > 0)
            font.setWeight(QFont::Weight(look.weight));
        widget->setFont(font);
    }
    if (look.color.isValid()) {
        // Every state alike, as a style sheet's colour without a state applies to all.
        QPalette palette = widget->palette();
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, look.color);
        widget->setPalette(palette);
    }
}

} // namespace zembra
