#pragma once
// The review table's scroll bar: no track, only the knob floating over the rows.

#include <QScrollBar>

namespace zembra {

class RemainderScroller : public QScrollBar {
    Q_OBJECT
public:
    explicit RemainderScroller(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace zembra
