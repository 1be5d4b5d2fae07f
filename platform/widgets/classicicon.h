// Icons in the 16 colours of the classic palette, at 32 x 32 and 16 x 16
// pixels, as both programs draw them.
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QRgb>

namespace dorvik::widgets {

// The 16 colours of the classic VGA palette, black first and white last.
const QList<QRgb> &classicPalette();
// `picture` as an indexed image whose colour table is the 16 palette colours
// followed by one transparent entry: a pixel at least half opaque takes the
// nearest palette colour, every other pixel the transparent entry.
QImage toClassicPalette(const QImage &picture);
// The icon made of the 32 and 16 pixel images that `imageAt` draws.
QIcon iconAt32And16(QImage (*imageAt)(int size));

} // namespace dorvik::widgets
