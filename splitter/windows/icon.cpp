#include "splitter/windows/icon.h"

#include "platform/widgets/classicicon.h"

#include <QPainter>
#include <QPolygon>

namespace dorvik::splitter {

namespace {

const QRgb kBlack = qRgb(0x00, 0x00, 0x00);
const QRgb kNavy = qRgb(0x00, 0x00, 0x80);
const QRgb kSilver = qRgb(0xC0, 0xC0, 0xC0);
const QRgb kGray = qRgb(0x80, 0x80, 0x80);
const QRgb kRed = qRgb(0xFF, 0x00, 0x00);
const QRgb kWhite = qRgb(0xFF, 0xFF, 0xFF);

// The picture on a 32 x 32 grid: the upper part of a page with a folded
// corner, the lower part moved aside, and the cut between them.
void drawOn32Grid(QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing, false);

    // Shadows of both parts.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kGray));
    p.drawRect(QRect(6, 4, 20, 11));
    p.drawRect(QRect(10, 20, 20, 11));

    // Upper part with its folded corner.
    p.setPen(QColor(kBlack));
    p.setBrush(QColor(kWhite));
    p.drawPolygon(
        QPolygon({QPoint(4, 2), QPoint(18, 2), QPoint(24, 8), QPoint(24, 13), QPoint(4, 13)}));
    p.setBrush(QColor(kSilver));
    p.drawPolygon(QPolygon({QPoint(18, 2), QPoint(18, 8), QPoint(24, 8)}));

    // Lower part.
    p.setBrush(QColor(kWhite));
    p.drawRect(QRect(8, 18, 20, 11));

    // Lines of text.
    p.setPen(QColor(kNavy));
    p.drawLine(7, 5, 15, 5);
    p.drawLine(7, 8, 20, 8);
    p.drawLine(7, 11, 20, 11);
    p.drawLine(11, 21, 24, 21);
    p.drawLine(11, 24, 24, 24);
    p.drawLine(11, 27, 19, 27);

    // The cut.
    p.setPen(QColor(kRed));
    for (int x = 1; x < 31; x += 4)
        p.drawLine(x, 15, x + 1, 15);
}

// The same picture drawn pixel by pixel for the 16 x 16 size.
void drawOn16Grid(QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kGray));
    p.drawRect(QRect(3, 2, 10, 6));
    p.drawRect(QRect(5, 10, 10, 6));
    p.setPen(QColor(kBlack));
    p.setBrush(QColor(kWhite));
    p.drawRect(QRect(2, 1, 9, 5));
    p.drawRect(QRect(4, 9, 9, 5));
    p.setPen(QColor(kNavy));
    p.drawLine(4, 3, 8, 3);
    p.drawLine(6, 11, 10, 11);
    p.setPen(QColor(kRed));
    for (int x = 0; x < 16; x += 3)
        p.drawPoint(x, 7);
}

} // namespace

QImage programIconImage(int size) {
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        if (size <= 16) {
            drawOn16Grid(painter);
        } else {
            painter.scale(size / 32.0, size / 32.0);
            drawOn32Grid(painter);
        }
    }
    return widgets::toClassicPalette(canvas);
}

QIcon programIcon() {
    return widgets::iconAt32And16(programIconImage);
}

} // namespace dorvik::splitter
