// The main window's keyboard, its piece-count row as painted, and the files
// it is handed on the command line or by a drop.
#include "platform/widgets/messagebox.h"
#include "platform/widgets/twips.h"
#include "splitter/windows/commandline.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/form4.h"
#include "splitter/windows/preview.h"
#include "tests/support/recording_prompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace dorvik;
using namespace dorvik::splitter;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

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
            if (qAbs(c.red() - background.red()) + qAbs(c.green() - background.green()) +
                    qAbs(c.blue() - background.blue()) >
                128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {label->x() + first, label->x() + last};
}

// A file of `size` bytes whose contents do not matter (sparse).
void makeFile(const QString &path, qint64 size) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        prompter_ = std::make_unique<testing::RecordingPrompter>();
        widgets::installPrompter(prompter_.get());
        form_ = std::make_unique<Form1>();
    }

    void cleanup() {
        form_.reset();
        widgets::installPrompter(nullptr);
        prompter_.reset();
        dir_.reset();
    }

    void sliderKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("Right raises by one") << int(Qt::Key_Right) << false << 50 << 51;
        QTest::newRow("Left lowers by one") << int(Qt::Key_Left) << false << 50 << 49;
        QTest::newRow("Page Down raises by five") << int(Qt::Key_PageDown) << false << 50 << 55;
        QTest::newRow("Home goes to 2") << int(Qt::Key_Home) << false << 50 << 2;
        QTest::newRow("Right stops at 99") << int(Qt::Key_Right) << false << 99 << 99;
        // A mirrored bar has 99 at its left end: the keys still follow the thumb.
        QTest::newRow("mirrored: Left raises") << int(Qt::Key_Left) << true << 50 << 51;
    }

    void sliderKeys() {
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

    void pieceCountIsAWordOfItsOwn() {
        // "Split file into 99 pieces:" as painted: blank columns on both sides
        // of the count for every count (a blank's width, less one column that
        // antialiasing may tint), with both labels where the form puts them.
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

    void openingAFile_data() {
        QTest::addColumn<QString>("argument"); // in the test's directory
        QTest::addColumn<bool>("relative");    // given relative to it, from there
        QTest::addColumn<QString>("mode");     // "split", "join" or the message's reason
        QTest::addColumn<int>("pieces");
        QTest::newRow("file to split, relative") << "report.doc" << true << "split" << 4;
        QTest::newRow("first piece") << "report.000" << false << "join" << 2;
        QTest::newRow("missing file") << "gone.doc" << false << "This file does not exist." << 2;
    }

    void openingAFile() {
        QFETCH(QString, argument);
        QFETCH(bool, relative);
        QFETCH(QString, mode);
        QFETCH(int, pieces);
        makeFile(dir_->filePath("report.doc"), 4200001); // four 1400000-byte disks
        makeFile(dir_->filePath("report.000"), 1000);
        const QString path = dir_->filePath(argument);
        prompter_->messages.clear();
        const QString before = QDir::currentPath();
        QDir::setCurrent(relative ? dir_->path() : before);
        const bool opened = openFile(*form_, relative ? argument : path);
        QDir::setCurrent(before);

        QCOMPARE(form_->HScroll1->value(), pieces);
        if (mode == "split" || mode == "join") {
            QVERIFY(opened);
            QVERIFY(prompter_->messages.empty());
            QCOMPARE(form_->Text1->text(), path);
            QCOMPARE(form_->Text7->text(), dir_->path());
            QCOMPARE(form_->Command3->isEnabled(), mode == "split");
            QCOMPARE(form_->Command4->isEnabled(), mode == "join");
            QCOMPARE(form_->Label1->text(), "File to " + mode + ":");
            QCOMPARE(form_->Label4->text(),
                     mode == "join" ? QString()
                                    : previewSentence(path, 4200001, 4, PieceSize::WholeBytes,
                                                      QLocale().decimalPoint()));
            form_->Command1_Click(); // Browse starts where the file is
            QCOMPARE(form_->existingFileChooser()->File1->Path(), dir_->path());
            return;
        }
        // Told, and the window stays as if no file had been chosen.
        QVERIFY(!opened);
        QCOMPARE(prompter_->messages.size(), std::size_t(1));
        const platform::Message &message = prompter_->messages.front();
        QCOMPARE(QString::fromStdString(message.text), path + "\n" + mode);
        QCOMPARE(message.title, std::optional<std::string>("Dorvik"));
        QCOMPARE(message.icon, platform::Icon::Information);
        QCOMPARE(message.buttons, platform::Buttons::Ok);
        for (const QString &text :
             {form_->Text1->text(), form_->Text7->text(), form_->Label4->text()})
            QCOMPARE(text, QString());
        QVERIFY(!form_->Command3->isEnabled() && !form_->Command4->isEnabled());
    }

    void droppingOneFileOpensIt() {
        const QString path = dir_->filePath("report.000");
        makeFile(path, 1000);
        // What a drag offers, and whether the window takes it.
        const auto offer = [this](const QList<QUrl> &urls, Qt::DropActions actions) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form_.get(), &enter);
            if (!enter.isAccepted())
                return Qt::IgnoreAction;
            QDropEvent drop(QPointF(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form_.get(), &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        };
        const QUrl file = QUrl::fromLocalFile(path);
        const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QCOMPARE(offer({file, QUrl::fromLocalFile(dir_->filePath("x"))}, all), Qt::IgnoreAction);
        QCOMPARE(offer({QUrl("https://example.org/report.000")}, all), Qt::IgnoreAction);
        // A move would let the file manager delete the file.
        QCOMPARE(offer({file}, Qt::MoveAction), Qt::IgnoreAction);
        QCoreApplication::processEvents();
        QCOMPARE(form_->Text1->text(), QString());

        QCOMPARE(offer({file}, Qt::MoveAction | Qt::CopyAction), Qt::CopyAction);
        QTRY_COMPARE(form_->Text1->text(), path);
        QVERIFY(form_->Command4->isEnabled());
        QCOMPARE(form_->Text7->text(), dir_->path());
    }

    void readingTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        const int start = int(CommandLine::Action::Start), print = int(CommandLine::Action::Print),
                  refuse = int(CommandLine::Action::Refuse);
        QTest::newRow("nothing") << QStringList{} << start << QString();
        QTest::newRow("a file") << QStringList{"a.doc"} << start << "a.doc";
        QTest::newRow("after --") << QStringList{"--", "--help"} << start << "--help";
        QTest::newRow("-h after a file") << QStringList{"a", "-h"} << print << QString();
        QTest::newRow("two files") << QStringList{"a", "b"} << refuse << QString();
        QTest::newRow("unknown before help") << QStringList{"-x", "--help"} << refuse << QString();
        QTest::newRow("a toolkit option") << QStringList{"-platform", "xcb"} << refuse << QString();
    }

    void readingTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        std::vector<std::string> texts{"Dorvik"};
        for (const QString &argument : arguments)
            texts.push_back(argument.toStdString());
        std::vector<const char *> argv;
        for (const std::string &text : texts)
            argv.push_back(text.c_str());
        const CommandLine line = readCommandLine(int(argv.size()), argv.data());
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.file.has_value(), !file.isNull());
        if (line.file)
            QCOMPARE(QString::fromStdString(*line.file), file);
        if (line.action == CommandLine::Action::Refuse) {
            QCOMPARE(line.status, 2);
            QCOMPARE(line.text.find('\n'), line.text.size() - 1); // one line
        }
    }

    void printingOptionsNeedNoDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // the start of standard output
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: Dorvik [FILE]\n";
        QTest::newRow("--version")
            << QStringList{"--version"} << 0 << QStringLiteral("Dorvik " DORVIK_VERSION "\n");
        QTest::newRow("unknown option") << QStringList{"--open", "x"} << 2 << QString();
    }

    void printingOptionsNeedNoDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        // No display of any kind: the program would fail if it opened one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(DORVIK_PROGRAM), arguments);
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString stdoutText = QString::fromUtf8(program.readAllStandardOutput());
        const QString stderrText = QString::fromUtf8(program.readAllStandardError());
        QVERIFY(out.isEmpty() ? stdoutText.isEmpty() : stdoutText.startsWith(out));
        // An error is one line on standard error.
        QCOMPARE(stderrText.count('\n'), status ? 1 : 0);
        QVERIFY(!status || stderrText.startsWith("Dorvik: "));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
