#pragma once
// A plain image of the window's layout that, like the background, drags the window
// when the user presses on it and moves. GUI thread only.

#include <QLabel>

namespace zembra {

class WhiteImageView : public QLabel {
    Q_OBJECT
public:
    explicit WhiteImageView(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace zembra
