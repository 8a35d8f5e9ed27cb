#pragma once
// A flat button with rounded corners (radius 4) over the window's own background: dark
// and translucent, lighter and more transparent when disabled, light while pressed; the
// title is always white. GUI thread only.

#include <QPushButton>

namespace zembra {

class RoundCell : public QPushButton {
    Q_OBJECT
public:
    explicit RoundCell(QWidget *parent = nullptr);

    // The bezel's colour for a state (grey level and alpha, drawn over the background).
    static QColor bezelColor(bool pressed, bool enabled);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace zembra
