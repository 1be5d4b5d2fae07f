// The program's icon: a page cut in two, drawn in the 16 colours of the
// classic VGA palette, 32 x 32 and 16 x 16 pixels, with a transparency mask.
#pragma once

#include <QIcon>
#include <QImage>

namespace dorvik::splitter {

// The icon at `size` pixels (32 or 16), an indexed image whose colour table
// is the 16 classic palette colours followed by one transparent entry.
QImage programIconImage(int size);
// Both sizes, for the windows' title bars.
QIcon programIcon();

} // namespace dorvik::splitter
