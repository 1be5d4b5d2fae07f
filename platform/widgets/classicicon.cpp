#include "platform/widgets/classicicon.h"

#include <QPixmap>

#include <climits>

namespace dorvik::widgets {

namespace {

int nearestIndex(const QList<QRgb> &palette, QRgb colour) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour);
        const int dg = qGreen(palette[i]) - qGreen(colour);
        const int db = qBlue(palette[i]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace

const QList<QRgb> &classicPalette() {
    static const QList<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return colours;
}

QImage toClassicPalette(const QImage &picture) {
    const QList<QRgb> &palette = classicPalette();
    QList<QRgb> table = palette;
    const int transparent = static_cast<int>(table.size());
    table.append(qRgba(0, 0, 0, 0));
    QImage image(picture.size(), QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            image.setPixel(x, y, qAlpha(pixel) < 128 ? transparent : nearestIndex(palette, pixel));
        }
    }
    return image;
}

QIcon iconAt32And16(QImage (*imageAt)(int size)) {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(imageAt(32)));
    icon.addPixmap(QPixmap::fromImage(imageAt(16)));
    return icon;
}

} // namespace dorvik::widgets
