#include "setup/icon.h"

#include "platform/widgets/classicicon.h"

#include <QPainter>
#include <QPolygonF>

namespace dorvik::setup {

namespace {

enum Colour {
    Black,
    DarkRed,
    DarkGreen,
    DarkYellow,
    DarkBlue,
    DarkMagenta,
    DarkCyan,
    Grey,
    DarkGrey,
    Red,
    Green,
    Yellow,
    Blue,
    Magenta,
    Cyan,
    White
};

QColor colour(Colour c) {
    return QColor::fromRgb(widgets::classicPalette().at(c));
}

void shape(QPainter &p, const QPolygonF &polygon, Colour fill) {
    p.setBrush(colour(fill));
    p.drawPolygon(polygon);
}

} // namespace

QImage installerIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.scale(size / 32.0, size / 32.0);
    QPen outline(colour(Black));
    outline.setCosmetic(true);
    outline.setWidth(0);
    p.setPen(outline);

    // Back flap standing open, then the dark inside of the box.
    shape(p, QPolygonF({{10, 13}, {29, 13}, {27, 8}, {12, 8}}), Yellow);
    shape(p, QPolygonF({{6, 16}, {10, 13}, {29, 13}, {25, 16}}), Black);
    // The arrow going down into the box.
    shape(p, QPolygonF({{14, 1}, {19, 1}, {19, 9}, {24, 9}, {16.5, 19}, {9, 9}, {14, 9}}), Green);
    // Left flap, right side and front of the box.
    shape(p, QPolygonF({{6, 16}, {10, 13}, {5, 9}, {1, 12}}), Yellow);
    shape(p, QPolygonF({{25, 16}, {29, 13}, {29, 26}, {25, 29}}), DarkGrey);
    shape(p, QPolygonF({{6, 16}, {25, 16}, {25, 29}, {6, 29}}), DarkYellow);
    // A band of tape across the front.
    p.setPen(Qt::NoPen);
    p.setBrush(colour(Grey));
    p.drawRect(QRectF(14, 17, 3, 12));
    p.end();
    return widgets::toClassicPalette(image);
}

QIcon installerIcon() {
    return widgets::iconAt32And16(installerIconImage);
}

} // namespace dorvik::setup
