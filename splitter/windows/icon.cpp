#include "splitter/windows/icon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <climits>

namespace dorvik::splitter {

namespace {

const QRgb kBlack = qRgb(0x00, 0x00, 0x00);
const QRgb kNavy = qRgb(0x00, 0x00, 0x80);
const QRgb kSilver = qRgb(0xC0, 0xC0, 0xC0);
const QRgb kGray = qRgb(0x80, 0x80, 0x80);
const QRgb kRed = qRgb(0xFF, 0x00, 0x00);
const QRgb kYellow = qRgb(0xFF, 0xFF, 0x00);
const QRgb kWhite = qRgb(0xFF, 0xFF, 0xFF);

// The picture on a 32 x 32 grid: the upper part of a page with a folded
// corner, the lower part moved down, the cut between them.
void drawOn32Grid(QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing, false);

    // Shadows of both parts.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kGray));
    p.drawPolygon(QPolygon({QPoint(8, 4), QPoint(28, 4), QPoint(28, 15), QPoint(8, 19)}));
    p.drawPolygon(QPolygon({QPoint(8, 24), QPoint(28, 20), QPoint(28, 31), QPoint(8, 31)}));

    // Upper part.
    p.setPen(QColor(kBlack));
    p.setBrush(QColor(kWhite));
    p.drawPolygon(
        QPolygon({QPoint(6, 2), QPoint(20, 2), QPoint(26, 8), QPoint(26, 13), QPoint(6, 17)}));
    p.setBrush(QColor(kSilver));
    p.drawPolygon(QPolygon({QPoint(20, 2), QPoint(20, 8), QPoint(26, 8)}));

    // Lower part.
    p.setBrush(QColor(kWhite));
    p.drawPolygon(QPolygon({QPoint(6, 22), QPoint(26, 18), QPoint(26, 29), QPoint(6, 29)}));

    // Lines of text.
    p.setPen(QColor(kNavy));
    p.drawLine(9, 6, 17, 6);
    p.drawLine(9, 9, 22, 9);
    p.drawLine(9, 12, 22, 12);
    p.drawLine(9, 25, 22, 25);
    p.drawLine(9, 27, 18, 27);

    // The cut, and a yellow-edged red mark at each end of it.
    p.setPen(QPen(QColor(kRed), 1, Qt::DashLine));
    p.drawLine(1, 21, 31, 15);
    p.setPen(QColor(kYellow));
    p.setBrush(QColor(kRed));
    p.drawEllipse(QRect(0, 18, 4, 4));
    p.drawEllipse(QRect(27, 12, 4, 4));
}

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

QList<QRgb> iconPalette() {
    return {qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00),
            qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80),
            qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0), qRgb(0x80, 0x80, 0x80),
            qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
            qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF),
            qRgb(0xFF, 0xFF, 0xFF)};
}

QImage programIconImage(int size) {
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.scale(size / 32.0, size / 32.0);
        drawOn32Grid(painter);
    }

    // Down to the palette: every visible pixel takes its palette colour, the
    // rest is the mask's transparent entry.
    const QList<QRgb> palette = iconPalette();
    QList<QRgb> table = palette;
    const int transparent = static_cast<int>(table.size());
    table.append(qRgba(0, 0, 0, 0));
    QImage icon(size, size, QImage::Format_Indexed8);
    icon.setColorTable(table);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = canvas.pixel(x, y);
            icon.setPixel(x, y, qAlpha(pixel) < 128 ? transparent : nearestIndex(palette, pixel));
        }
    }
    return icon;
}

QIcon programIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(programIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(programIconImage(16)));
    return icon;
}

} // namespace dorvik::splitter
