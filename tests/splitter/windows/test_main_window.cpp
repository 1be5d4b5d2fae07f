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

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sliderKeys_data();
    void sliderKeys();
    void pieceCountIsAWordOfItsOwn();
    void openingAFile_data();
    void openingAFile();
    void droppingOneFileOpensIt();
    void readingTheCommandLine_data();
    void readingTheCommandLine();
    void printingOptionsNeedNoDisplay_data();
    void printingOptionsNeedNoDisplay();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
};

void MainWindowTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<testing::RecordingPrompter>();
    widgets::installPrompter(prompter_.get());
    form_ = std::make_unique<Form1>();
}

void MainWindowTest::cleanup() {
    form_.reset();
    widgets::installPrompter(nullptr);
    prompter_.reset();
    dir_.reset();
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

namespace {

// A file of `size` bytes whose contents do not matter (sparse).
void makeFile(const QString &path, qint64 size) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

// Changes the working directory for a scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString &path) : before_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(before_); }

private:
    QString before_;
};

} // namespace

void MainWindowTest::openingAFile_data() {
    QTest::addColumn<QString>("argument"); // relative to the test's directory
    QTest::addColumn<bool>("relative");    // given as such, from that directory
    QTest::addColumn<QString>("mode");     // "split", "join" or the message's reason
    QTest::addColumn<int>("pieces");
    QTest::newRow("file to split") << "report.doc" << false << "split" << 4;
    QTest::newRow("relative path") << "report.doc" << true << "split" << 4;
    QTest::newRow("first piece") << "report.000" << false << "join" << 2;
    QTest::newRow("missing file") << "gone.doc" << false << "This file does not exist." << 2;
    QTest::newRow("directory") << "sub" << false << "This is not a file." << 2;
}

void MainWindowTest::openingAFile() {
    QFETCH(QString, argument);
    QFETCH(bool, relative);
    QFETCH(QString, mode);
    QFETCH(int, pieces);
    makeFile(dir_->filePath("report.doc"), 4200001); // four 1400000-byte disks
    makeFile(dir_->filePath("report.000"), 1000);
    QVERIFY(QDir(dir_->path()).mkdir("sub"));
    const QString path = dir_->filePath(argument);
    prompter_->messages.clear();

    bool opened = false;
    {
        const CurrentDirectory here(relative ? dir_->path() : QDir::currentPath());
        opened = openFile(*form_, relative ? argument : path);
    }

    QCOMPARE(form_->HScroll1->value(), pieces);
    if (mode == "split" || mode == "join") {
        QVERIFY(opened);
        QVERIFY(prompter_->messages.empty());
        QCOMPARE(form_->Text1->text(), path);
        QCOMPARE(form_->Text7->text(), dir_->path());
        QCOMPARE(form_->Command3->isEnabled(), mode == "split");
        QCOMPARE(form_->Command4->isEnabled(), mode == "join");
        QCOMPARE(form_->Label1->text(), "File to " + mode + ":");
        QCOMPARE(form_->Label4->text().isEmpty(), mode == "join");
        form_->Command1_Click(); // Browse starts where the file is
        QCOMPARE(form_->existingFileChooser()->File1->Path(), dir_->path());
        QTest::mouseClick(form_->existingFileChooser()->Command2, Qt::LeftButton);
        if (mode == "split")
            QCOMPARE(form_->Label4->text(), previewSentence(path, 4200001, 4, PieceSize::WholeBytes,
                                                            QLocale().decimalPoint()));
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
    QCOMPARE(form_->Text1->text(), QString());
    QCOMPARE(form_->Text7->text(), QString());
    QCOMPARE(form_->Label4->text(), QString());
    QVERIFY(!form_->Command3->isEnabled());
    QVERIFY(!form_->Command4->isEnabled());
}

void MainWindowTest::droppingOneFileOpensIt() {
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
    QCOMPARE(offer({}, all), Qt::IgnoreAction);
    // A move would let the file manager delete the file.
    QCOMPARE(offer({file}, Qt::MoveAction), Qt::IgnoreAction);
    QCoreApplication::processEvents();
    QCOMPARE(form_->Text1->text(), QString());

    QCOMPARE(offer({file}, Qt::MoveAction | Qt::CopyAction), Qt::CopyAction);
    QTRY_COMPARE(form_->Text1->text(), path);
    QVERIFY(form_->Command4->isEnabled());
    QCOMPARE(form_->Text7->text(), dir_->path());
}

void MainWindowTest::readingTheCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    using Action = CommandLine::Action;
    QTest::newRow("nothing") << QStringList{} << int(Action::Start) << QString();
    QTest::newRow("a file") << QStringList{"a.doc"} << int(Action::Start) << "a.doc";
    QTest::newRow("a dash is a file") << QStringList{"-"} << int(Action::Start) << "-";
    QTest::newRow("after --") << QStringList{"--", "--help"} << int(Action::Start) << "--help";
    QTest::newRow("help") << QStringList{"-h"} << int(Action::Print) << QString();
    QTest::newRow("help after a file")
        << QStringList{"a", "--help"} << int(Action::Print) << QString();
    QTest::newRow("two files") << QStringList{"a", "b"} << int(Action::Refuse) << QString();
    QTest::newRow("unknown before help")
        << QStringList{"-x", "--help"} << int(Action::Refuse) << QString();
    QTest::newRow("a toolkit option")
        << QStringList{"-platform", "xcb"} << int(Action::Refuse) << QString();
}

void MainWindowTest::readingTheCommandLine() {
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

void MainWindowTest::printingOptionsNeedNoDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the start of standard output
    QTest::addColumn<bool>("error");  // one line on standard error
    const QString version = versionNotice().section('\n', 0, 0) + "\n";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: Dorvik [FILE]\n" << false;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << false;
    QTest::newRow("unknown option") << QStringList{"--open", "x"} << 2 << QString() << true;
}

void MainWindowTest::printingOptionsNeedNoDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(bool, error);
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
    QCOMPARE(stderrText.count('\n'), error ? 1 : 0);
    QVERIFY(!error || stderrText.startsWith("Dorvik: "));
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
