// The main window's keyboard, its piece-count row as painted, and the files
// it is handed on the command line or by a drop.
#include "platform/widgets/messagebox.h"
#include "platform/widgets/twips.h"
#include "splitter/windows/form1.h"
#include "tests/support/recording_prompter.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace dorvik;
using namespace dorvik::splitter;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sliderKeys_data();
    void sliderKeys();
    void pieceCountIsAWordOfItsOwn();

private:
    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
};

void MainWindowTest::init() {
    prompter_ = std::make_unique<testing::RecordingPrompter>();
    widgets::installPrompter(prompter_.get());
    form_ = std::make_unique<Form1>();
}

void MainWindowTest::cleanup() {
    form_.reset();
    widgets::installPrompter(nullptr);
    prompter_.reset();
}

void MainWindowTest::sliderKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("rightToLeft");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("Right raises by one") << int(Qt::Key_Right) << false << 50 << 51;
    QTest::newRow("Left lowers by one") << int(Qt::Key_Left) << false << 50 << 49;
    QTest::newRow("Down raises by one") << int(Qt::Key_Down) << false << 50 << 51;
    QTest::newRow("Up lowers by one") << int(Qt::Key_Up) << false << 50 << 49;
    QTest::newRow("Page Down raises by five") << int(Qt::Key_PageDown) << false << 50 << 55;
    QTest::newRow("Page Up lowers by five") << int(Qt::Key_PageUp) << false << 50 << 45;
    QTest::newRow("Home goes to 2") << int(Qt::Key_Home) << false << 50 << 2;
    QTest::newRow("End goes to 99") << int(Qt::Key_End) << false << 50 << 99;
    QTest::newRow("Right stops at 99") << int(Qt::Key_Right) << false << 99 << 99;
    QTest::newRow("Left stops at 2") << int(Qt::Key_Left) << false << 2 << 2;
    // A mirrored bar has 99 at its left end: the keys still follow the thumb.
    QTest::newRow("mirrored: Left raises") << int(Qt::Key_Left) << true << 50 << 51;
    QTest::newRow("mirrored: Right lowers") << int(Qt::Key_Right) << true << 50 << 49;
}

void MainWindowTest::sliderKeys() {
    QFETCH(int, key);
    QFETCH(bool, rightToLeft);
    QFETCH(int, from);
    QFETCH(int, to);
    QScrollBar *slider = form_->HScroll1;
    if (rightToLeft)
        slider->setLayoutDirection(Qt::RightToLeft);
    slider->setValue(from);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key(key));
    QCOMPARE(slider->value(), to);
    QCOMPARE(form_->Label11->text(), QString::number(to));
}

// The first and the last column, in its window, where `label` puts ink: a
// pixel that stands out from the colour most of the label shows.
std::pair<int, int> inkColumns(QLabel *label) {
    const QImage image = label->grab().toImage();
    QHash<QRgb, int> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++seen[image.pixel(x, y)];
    const QColor background(std::max_element(seen.begin(), seen.end()).key());
    int first = image.width(), last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = qAbs(c.red() - background.red()) +
                                 qAbs(c.green() - background.green()) +
                                 qAbs(c.blue() - background.blue());
            if (distance > 128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {label->x() + first, label->x() + last};
}

void MainWindowTest::pieceCountIsAWordOfItsOwn() {
    // "Split file into 99 pieces:" as painted: blank columns on both sides of
    // the count for every count (a blank's width, less one column that
    // antialiasing may tint), with the labels at the design's places.
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    const int blank = form_->Label11->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const int into = inkColumns(form_->Label3).second;
    const int pieces = inkColumns(form_->Label6).first;
    for (int count = 2; count <= 99; ++count) {
        form_->HScroll1->setValue(count);
        QCOMPARE(form_->Label11->text(), QString::number(count));
        const auto [first, last] = inkColumns(form_->Label11);
        QVERIFY2(first - into - 1 >= blank - 1, qPrintable(QString::number(count)));
        QVERIFY2(pieces - last - 1 >= blank - 1, qPrintable(QString::number(count)));
    }
    QCOMPARE(form_->Label11->geometry(), widgets::twipsRect(1020, 1500, 315, 195));
    QCOMPARE(form_->Label6->geometry(), widgets::twipsRect(1280, 1495, 555, 255));
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
