// The installer's icon: a box with an arrow going into it, drawn here in the
// sixteen colours of the classic palette, at 32x32 and 16x16 pixels.
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QRgb>

namespace dorvik::setup {

// The sixteen colours the icon is drawn with.
const QList<QRgb> &iconColours();
// The icon at `size` pixels square (32 or 16); transparent around the picture.
QImage installerIconImage(int size);
// Both sizes.
QIcon installerIcon();

} // namespace dorvik::setup
