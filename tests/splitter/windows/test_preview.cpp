#include "platform/widgets/classicicon.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/icon.h"
#include "splitter/windows/preview.h"

#include <QSet>
#include <QtTest>

using namespace dorvik::splitter;

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void numberFormat_data();
    void numberFormat();
    void sizeUnits_data();
    void sizeUnits();
    void sentenceOfTheWorkedExample();
    void pieceSizeExactOrWholeBytes();
    void decimalSeparatorIsTheCallers();
    void modeRule_data();
    void modeRule();
    void iconUsesSixteenColours();
};

void PreviewTest::numberFormat_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("three decimals") << 66.667 << "66.667";
    QTest::newRow("rounded") << 1234.5678 << "1234.568";
    QTest::newRow("below one") << 0.5 << ".5";
    QTest::newRow("trailing zeros dropped") << 1.5 << "1.5";
    QTest::newRow("whole") << 3.0 << "3.";
    QTest::newRow("rounds up to whole") << 999.9996 << "1000.";
    QTest::newRow("no grouping") << 1234567.0 << "1234567.";
}

void PreviewTest::numberFormat() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNumber(value, "."), text);
}

void PreviewTest::sizeUnits_data() {
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("bytes") << 500.0 << "500 Bytes";
    QTest::newRow("half of 500") << 250.0 << "250 Bytes";
    QTest::newRow("no bytes") << 0.0 << "0 Bytes";
    QTest::newRow("one Kbyte") << 1000.0 << "1. Kbytes";
    QTest::newRow("Kbytes") << 66667.0 << "66.667 Kbytes";
    QTest::newRow("whole Kbytes") << 200000.0 << "200. Kbytes";
    QTest::newRow("Mbytes") << 1500000.0 << "1.5 Mbytes";
    QTest::newRow("whole Mbytes") << 3000000.0 << "3. Mbytes";
    // 999999.6 bytes round to 1000 Kbytes, which is already a Mbyte.
    QTest::newRow("rounded into Mbytes") << 999999.6 << "1. Mbytes";
    QTest::newRow("just below a Kbyte") << 999.4 << "999 Bytes";
    QTest::newRow("rounded into Kbytes") << 999.6 << "1. Kbytes";
}

void PreviewTest::sizeUnits() {
    QFETCH(double, bytes);
    QFETCH(QString, text);
    QCOMPARE(sizeText(bytes, "."), text);
}

void PreviewTest::sentenceOfTheWorkedExample() {
    QCOMPARE(previewSentence("/data/report.doc", 200001, 3, PieceSize::Exact, "."),
             QString("Size of /data/report.doc\nis 200.001 Kbytes. Splitting it into 3 pieces "
                     "will give you 3 files with 66.667 Kbytes\n\nIf this is OK, Press the SPLIT "
                     "button, otherwise press the QUIT button."));
    const QString small = previewSentence("/x", 500, 2, PieceSize::Exact, ".");
    QVERIFY(small.contains("is 500 Bytes. "));
    QVERIFY(small.contains(" files with 250 Bytes\n"));
    const QString large = previewSentence("/x", 4999998, 5, PieceSize::Exact, ".");
    QVERIFY(large.contains("is 5. Mbytes. "));
    QVERIFY(large.contains(" files with 1. Mbytes\n"));
}

void PreviewTest::pieceSizeExactOrWholeBytes() {
    // 200000 / 3 = 66666.67: the slider shows the quotient, a new choice
    // the whole bytes of it.
    QVERIFY(previewSentence("/x", 200000, 3, PieceSize::Exact, ".")
                .contains(" files with 66.667 Kbytes\n"));
    QVERIFY(previewSentence("/x", 200000, 3, PieceSize::WholeBytes, ".")
                .contains(" files with 66.666 Kbytes\n"));
}

void PreviewTest::decimalSeparatorIsTheCallers() {
    QCOMPARE(sizeText(1500000, ","), QString("1,5 Mbytes"));
    QCOMPARE(formatNumber(0.25, ","), QString(",25"));
}

void PreviewTest::modeRule_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("join");
    QTest::newRow("program") << "setup.exe" << false;
    QTest::newRow("text") << "report.txt" << false;
    QTest::newRow("first piece") << "setup.000" << true;
    QTest::newRow("piece 10") << "setup.010" << true;
    QTest::newRow("no dot") << "data000" << true;
    QTest::newRow("ends in 0") << "x.100" << true;
    QTest::newRow("0 third from the end") << "x.0ab" << true;
    QTest::newRow("short") << "ab" << true;
    // Characters, not UTF-16 units: a character outside the basic plane
    // counts once.
    QTest::newRow("two characters, one astral") << QString::fromUtf8("\xF0\x9F\x98\x80"
                                                                     "a")
                                                << true;
    QTest::newRow("0 third from the end before an astral one")
        << QString::fromUtf8("x0\xF0\x9F\x98\x80"
                             "b")
        << true;
    QTest::newRow("astral third from the end") << QString::fromUtf8("\xF0\x9F\x98\x80"
                                                                    "ab")
                                               << false;
}

void PreviewTest::modeRule() {
    QFETCH(QString, name);
    QFETCH(bool, join);
    QCOMPARE(isJoinName(name), join);
}

void PreviewTest::iconUsesSixteenColours() {
    const QList<QRgb> palette = dorvik::widgets::classicPalette();
    QCOMPARE(palette.size(), 16);
    for (int size : {32, 16}) {
        const QImage icon = programIconImage(size);
        QCOMPARE(icon.size(), QSize(size, size));
        QSet<QRgb> used;
        int transparent = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = icon.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    ++transparent;
                else
                    used.insert(pixel);
            }
        }
        for (QRgb colour : used)
            QVERIFY(palette.contains(colour));
        QVERIFY(used.size() >= 4); // a picture, not a blot
        QVERIFY(transparent > 0);
    }
}

QTEST_APPLESS_MAIN(PreviewTest)
#include "test_preview.moc"
