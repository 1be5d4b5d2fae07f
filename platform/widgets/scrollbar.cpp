#include "platform/widgets/scrollbar.h"

#include <QKeyEvent>

namespace dorvik::widgets {

HScrollBar::HScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent) {}

void HScrollBar::keyPressEvent(QKeyEvent *event) {
    const bool left = event->key() == Qt::Key_Left;
    if (!left && event->key() != Qt::Key_Right) {
        QScrollBar::keyPressEvent(event);
        return;
    }
    // A mirrored (right-to-left) bar has its minimum on the right.
    const bool towardsMinimum = left != isRightToLeft();
    triggerAction(towardsMinimum ? SliderSingleStepSub : SliderSingleStepAdd);
    event->accept();
}

} // namespace dorvik::widgets
