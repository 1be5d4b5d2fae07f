// The horizontal scroll bar of the windows.
#pragma once

#include <QScrollBar>

namespace dorvik::widgets {

// A horizontal scroll bar whose Left and Right keys move the thumb the way
// they point, as on every horizontal control (a plain QScrollBar inverts
// them so that its Up and Down keys read as a vertical one's). Up and Page Up
// lower the value, Down and Page Down raise it, Home and End go to the ends.
class HScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace dorvik::widgets
