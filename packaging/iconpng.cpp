// Writes the program's icon as PNG files for the desktop's icon theme:
//   dorvik-icon-png DIR SIZE...
// makes DIR/SIZE.png for each SIZE, drawn by the same code that draws the
// windows' icon.
#include "splitter/windows/icon.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

// The icon at `size` pixels in full colour with alpha, as icon themes expect.
// The program draws it on a 16 and a 32 pixel grid; sizes between the two
// take the 32 pixel picture scaled down smoothly, where the grid's thin
// lines would otherwise drop out.
QImage iconAt(int size) {
    using dorvik::splitter::programIconImage;
    if (size == 16 || size >= 32)
        return programIconImage(size).convertToFormat(QImage::Format_ARGB32);
    return programIconImage(32)
        .convertToFormat(QImage::Format_ARGB32)
        .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dorvik-icon-png DIR SIZE...\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "%s: cannot create the directory\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: not a size from 16 to 1024\n", argv[i]);
            return 2;
        }
        const QString path = dir + QStringLiteral("/%1.png").arg(size);
        const QImage image = iconAt(size);
        if (image.size() != QSize(size, size) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "%s: cannot write the icon\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
