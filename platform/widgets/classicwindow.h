// What the windows of both programs share: their font, and Enter as the key
// that presses a button.
#pragma once

#include <QFont>
#include <QString>

#include <initializer_list>

class QKeyEvent;
class QPushButton;

namespace dorvik::widgets {

// A caption and the width in twips its layout gives it.
struct Fit {
    QString text;
    int width;
};

// The font of the windows: 8 points, the size the layouts were drawn for, in
// a narrow sans-serif family where one is installed, made smaller by half
// points (down to 6) while any of `captions` does not fit its width.
QFont windowFont(std::initializer_list<Fit> captions);

// Return or the keypad's Enter, with no modifier other than the keypad's.
bool isEnter(const QKeyEvent *event);
// Clicks `button` if `event` is Enter and the button exists and is enabled;
// true when it did.
bool clickOnEnter(QPushButton *button, const QKeyEvent *event);

} // namespace dorvik::widgets
