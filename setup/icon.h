// The installer's icon: a box with an arrow going into it, drawn here in the
// sixteen colours of the classic palette, at 32x32 and 16x16 pixels.
#pragma once

#include <QIcon>
#include <QImage>

namespace dorvik::setup {

// The icon at `size` pixels square (32 or 16), an indexed image in the 16
// classic palette colours; transparent around the picture.
QImage installerIconImage(int size);
// Both sizes.
QIcon installerIcon();

} // namespace dorvik::setup
