// Window layouts are given in twips, 1440 to the inch. This is the one place
// where they become pixels of the screen the window is on.
#pragma once

#include <QRect>

class QWidget;

namespace dorvik::widgets {

// Pixels for a length in twips at the primary screen's logical resolution
// (96 dpi gives 15 twips a pixel).
int twips(int length);
// A rectangle given as left, top, width and height in twips.
QRect twipsRect(int left, int top, int width, int height);
// Places `widget` at the twips rectangle (relative to its parent).
void placeTwips(QWidget *widget, int left, int top, int width, int height);
// Sets a window's client area size from twips.
void sizeClientTwips(QWidget *window, int width, int height);

// A control's place in its window: left, top, width, height in twips.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

// Names `widget` (its objectName) and places it at `at`.
void placeNamed(QWidget *widget, const char *name, Twips at);
// The same, returning `widget`: `place(new QLabel(this), "Label1", {...})`.
template <class T> T *place(T *widget, const char *name, Twips at) {
    placeNamed(widget, name, at);
    return widget;
}

} // namespace dorvik::widgets
