#pragma once
// A flat rounded button: a translucent dark bezel with white title, lighter and more
// transparent when disabled, light grey while pressed. Layouts promote QPushButton to it.

#include <QPushButton>

namespace zembra {

class RoundCell : public QPushButton {
    Q_OBJECT
public:
    explicit RoundCell(QWidget *parent = nullptr);

    // The bezel colour for a state: pressed wins over enabled.
    static QColor bezelColor(bool highlighted, bool enabled);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace zembra
