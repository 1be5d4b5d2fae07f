// The main window's keyboard, its piece-count row as painted, and the files
// it is handed on the command line or by a drop.
#include "platform/widgets/messagebox.h"
#include "splitter/windows/form1.h"
#include "tests/support/recording_prompter.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

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

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
