// The desktop's icon files against the icon the windows draw: the theme's
// PNG files are the windows' pictures, and the hand-drawn SVG stays the
// same picture.
#include "splitter/windows/icon.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using dorvik::splitter::programIconImage;

namespace {

// Pixels that differ between two images of the same size: one opaque where
// the other is not, or two opaque pixels of different colours.
int differingPixels(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            const bool opaqueP = qAlpha(p) >= 128, opaqueQ = qAlpha(q) >= 128;
            if (opaqueP != opaqueQ || (opaqueP && qRgb(qRed(p), qGreen(p), qBlue(p)) !=
                                                      qRgb(qRed(q), qGreen(q), qBlue(q))))
                ++count;
        }
    }
    return count;
}

} // namespace

class IconFilesTest : public QObject {
    Q_OBJECT

private slots:
    void themeIconIsTheWindowIcon_data();
    void themeIconIsTheWindowIcon();
    void scalableIconIsTheSamePicture();
};

void IconFilesTest::themeIconIsTheWindowIcon_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 256})
        QTest::addRow("%d", size) << size;
}

void IconFilesTest::themeIconIsTheWindowIcon() {
    QFETCH(int, size);
    const QImage file(QStringLiteral(DORVIK_ICON_DIR "/%1.png").arg(size));
    QCOMPARE(file.size(), QSize(size, size));
    QVERIFY(file.hasAlphaChannel());
    QCOMPARE(differingPixels(file, programIconImage(size)), 0);
}

void IconFilesTest::scalableIconIsTheSamePicture() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("32.png"));
    QProcess render;
    render.start(QStringLiteral("rsvg-convert"),
                 {QStringLiteral("-w"), QStringLiteral("32"), QStringLiteral("-h"),
                  QStringLiteral("32"), QStringLiteral("-o"), png, QStringLiteral(DORVIK_SVG)});
    QVERIFY2(render.waitForFinished(), "rsvg-convert did not run");
    QCOMPARE(render.exitCode(), 0);
    const QImage svg(png);
    QCOMPARE(svg.size(), QSize(32, 32));
    // Two rasterisers meet a diagonal edge differently; the picture is the
    // same when no more than a corner pixel or two differ.
    QVERIFY2(
        differingPixels(svg, programIconImage(32)) <= 2,
        qPrintable(
            QStringLiteral("%1 pixels differ").arg(differingPixels(svg, programIconImage(32)))));
}

QTEST_APPLESS_MAIN(IconFilesTest)
#include "test_icon_files.moc"
