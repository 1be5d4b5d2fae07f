#include "platform/widgets/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace dorvik::widgets {

int twips(int length) {
    qreal dpi = 96.0;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInch();
    if (dpi <= 0)
        dpi = 96.0;
    return static_cast<int>(std::lround(length * dpi / 1440.0));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

void placeTwips(QWidget *widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

void sizeClientTwips(QWidget *window, int width, int height) {
    window->setFixedSize(twips(width), twips(height));
}

void placeNamed(QWidget *widget, const char *name, Twips at) {
    widget->setObjectName(QString::fromLatin1(name));
    placeTwips(widget, at.left, at.top, at.width, at.height);
}

} // namespace dorvik::widgets
