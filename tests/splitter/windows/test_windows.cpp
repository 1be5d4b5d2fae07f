// The splitter's windows driven as a user drives them: by their controls'
// names, with every message box answered by a recorder.
#include "platform/drives.h"
#include "platform/widgets/listcontrols.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/twips.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/form3.h"
#include "splitter/windows/form4.h"
#include "splitter/windows/preview.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace dorvik;
using namespace dorvik::splitter;
using platform::Answer;
using platform::Icon;
using platform::Message;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

template <class T = QWidget> T *control(QWidget *window, const char *name) {
    T *found = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        qWarning("no control %s", name);
    return found;
}

// The program's window of that name, if it exists and was not closed.
QWidget *window(const char *name) {
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() != QLatin1String(name))
            continue;
        auto *w = qobject_cast<Window *>(top);
        if (w && !w->isUnloaded())
            return w;
    }
    return nullptr;
}

void destroyClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray pattern(int size, int seed) {
    return QByteArray::fromStdString(testing::patternBytes(size, seed));
}

void writeFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// A file of `size` bytes whose contents do not matter (sparse).
void makeFile(const QString &path, qint64 size) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList focusChain(QWidget *first, int count) {
    QStringList names;
    QWidget *w = first;
    while (names.size() < count) {
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
        w = w->nextInFocusChain();
        if (w == first)
            break;
    }
    return names;
}

// The average colour of a widget as it is painted, its frame left out.
QColor paintedColour(QWidget *widget) {
    const QImage image = widget->grab().toImage();
    double red = 0, green = 0, blue = 0;
    int pixels = 0;
    for (int y = 3; y < image.height() - 3; ++y) {
        for (int x = 3; x < image.width() - 3; ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red();
            green += c.green();
            blue += c.blue();
            ++pixels;
        }
    }
    return QColor(int(red / pixels), int(green / pixels), int(blue / pixels));
}

int colourDistance(const QColor &a, const QColor &b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithNoticeThenEmptySplitPresentation();
    void layoutFollowsTheTables();
    void enterOpensTheFileChooser();
    void fileBrowseResetsTheTypeList();
    void choosingAFileToSplit();
    void suggestedCountOutsideTheSliderLeavesIt();
    void choosingAFirstPieceSwitchesToJoinMode();
    void okWithoutAFileKeepsTheChooserOpen();
    void doubleClickChoosesTheFile();
    void cancelKeepsTheMainFieldsAndTheChoosersDirectory();
    void closeBoxDestroysTheFileChooser();
    void sliderMovesAndDragsUpdateThePreview();
    void previewUsesTheLocalesDecimalSeparator();
    void fileGoneBeforeOkIsReported();
    void fileGoneAfterChoosingIsNotMeasured();
    void directoryChooserStartsAtTheRoot();
    void directoryChooserClickSelectsDoubleClickOpens();
    void directoryChooserNameRule();
    void directoryChooserCreateRule();
    void directoryChooserDriveRule();
    void choosersHaveNoDefaultButton();
    void unreadableDriveKeepsTheChooserUsable();
    void aboutIsCreatedAnewAndDestroyedOnClose();
    void quitEndsTheProgramAtOnce();
    void closingTheMainWindowEndsTheProgram();
    void wholeSplitAndJoinFromTheButtons();
    void splitUsesTheFileChosenByOkNotTheChoosersLaterState();

private:
    // Opens the file chooser, selects `name` in `directory` and presses OK.
    void chooseFile(const QString &directory, const QString &name);
    // Opens the directory chooser, selects `directory` in its list and
    // presses OK.
    void chooseDirectory(const QString &directory);

    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString startDirectory_;
    bool windowVisibleAtNotice_ = false;
};

void WindowsTest::init() {
    startDirectory_ = QDir::currentPath();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<testing::RecordingPrompter>();
    windowVisibleAtNotice_ = false;
    prompter_->onMessage = [this](const Message &) {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible())
                windowVisibleAtNotice_ = true;
    };
    widgets::installPrompter(prompter_.get());
    form_ = std::make_unique<Form1>();
    prompter_->onMessage = nullptr;
}

void WindowsTest::cleanup() {
    form_.reset();
    destroyClosedWindows();
    widgets::installPrompter(nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(QDir::currentPath(), startDirectory_);
    prompter_.reset();
    dir_.reset();
}

void WindowsTest::chooseFile(const QString &directory, const QString &name) {
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(chooser && chooser->isVisible());
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(directory));
    auto *files = control<widgets::FileListBox>(chooser, "File1");
    files->setFileName(name);
    QCOMPARE(files->FileName(), name);
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);
}

void WindowsTest::chooseDirectory(const QString &directory) {
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    QVERIFY(chooser && chooser->isVisible());
    auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
    QVERIFY(dirs->setPath(QFileInfo(directory).path()));
    for (int i = 0; i < dirs->ListCount(); ++i)
        if (dirs->List(i) == directory)
            dirs->setListIndex(i);
    QCOMPARE(control<QLabel>(chooser, "Label2")->text(), directory);
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);
}

void WindowsTest::startsWithNoticeThenEmptySplitPresentation() {
    QCOMPARE(prompter_->messages.size(), std::size_t(1));
    const Message &notice = prompter_->messages[0];
    QCOMPARE(notice.title, std::optional<std::string>("Dorvik  "));
    QCOMPARE(notice.icon, Icon::Information);
    QCOMPARE(notice.buttons, platform::Buttons::Ok);
    QCOMPARE(QString::fromStdString(notice.text), versionNotice());
    QCOMPARE(versionNotice().count('\n'), 1);
    QVERIFY(!windowVisibleAtNotice_);

    QWidget *main = window("Form1");
    QVERIFY(main && main->isVisible());
    QCOMPARE(main->windowTitle(), QString("Dorvik"));
    QVERIFY(!control(main, "Command3")->isEnabled());
    QVERIFY(!control(main, "Command4")->isEnabled());
    QVERIFY(control(main, "Check1")->isHidden());
    QVERIFY(control(main, "Check2")->isHidden());
    QVERIFY(!control<QCheckBox>(main, "Check1")->isChecked());
    QVERIFY(!control<QCheckBox>(main, "Check2")->isChecked());
    QCOMPARE(control<QLabel>(main, "Label11")->text(), QString("2"));
    QCOMPARE(control<QLabel>(main, "Label4")->text(), QString());
    QCOMPARE(control<QLabel>(main, "Label1")->text(), QString("File to split:"));
    QCOMPARE(control<QLineEdit>(main, "Text1")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Text7")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Text2")->text(), QString("Text2"));
    QCOMPARE(control<QLineEdit>(main, "Text4")->text(), QString("Text4"));
    auto *slider = control<QScrollBar>(main, "HScroll1");
    QVERIFY(slider->isEnabled());
    QCOMPARE(slider->minimum(), 2);
    QCOMPARE(slider->maximum(), 99);
    QCOMPARE(slider->value(), 2);
    QCOMPARE(QSet<int>({slider->singleStep(), slider->pageStep()}), QSet<int>({1, 5}));
    QVERIFY(!main->windowIcon().isNull());
}

void WindowsTest::layoutFollowsTheTables() {
    QWidget *main = window("Form1");
    QCOMPARE(main->size(), widgets::twipsRect(0, 0, 4845, 4440).size());
    QCOMPARE(control(main, "Text1")->geometry(), widgets::twipsRect(120, 360, 3495, 300));
    QCOMPARE(control(main, "HScroll1")->geometry(), widgets::twipsRect(2280, 1495, 2415, 255));
    QCOMPARE(control(main, "Command2")->geometry(), widgets::twipsRect(3720, 4020, 975, 300));
    QVERIFY(control<QPushButton>(main, "Command1")->isDefault());
    // The read-only fields come right after their labels' places.
    QCOMPARE(focusChain(control(main, "Text1"), 11),
             (QStringList{"Text1", "Command1", "Text7", "Command5", "HScroll1", "Check2",
                          "Command3", "Command4", "Command6", "Command2", "Check1"}));

    // The display fields and the preview are painted in the tooltip colour.
    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    QCOMPARE(control(main, "Text1")->palette().color(QPalette::Base), tooltip);
    QCOMPARE(control(main, "Text7")->palette().color(QPalette::Base), tooltip);
    QCOMPARE(control(main, "Label4")->palette().color(QPalette::Window), tooltip);
    QVERIFY(control<QLineEdit>(main, "Text1")->isReadOnly());
    QCOMPARE(control(main, "Text1")->focusPolicy(), Qt::TabFocus);

    form_->Command1_Click();
    QWidget *files = window("Form2");
    QCOMPARE(files->windowTitle(), QString("Filemeny"));
    QCOMPARE(files->size(), widgets::twipsRect(0, 0, 4815, 4470).size());
    QCOMPARE(control(files, "File1")->geometry(), widgets::twipsRect(120, 1290, 1635, 3015));
    QCOMPARE(control(files, "Combo1")->palette().color(QPalette::Base), tooltip);
    // The drop-down lists are painted like buttons: they show the tooltip
    // colour too, unlike a drop-down list in the plain colours.
    {
        QComboBox plain(files);
        plain.setGeometry(control(files, "Combo1")->geometry());
        plain.addItem(control<QComboBox>(files, "Combo1")->currentText());
        const int plainDistance = colourDistance(paintedColour(&plain), tooltip);
        for (const char *name : {"Combo1", "Drive1"})
            QVERIFY2(colourDistance(paintedColour(control(files, name)), tooltip) <
                         plainDistance - 10,
                     name);
    }
    QCOMPARE(focusChain(control(files, "Drive1"), 6),
             (QStringList{"Drive1", "Dir1", "File1", "Combo1", "Command1", "Command2"}));
    QTest::mouseClick(control<QPushButton>(files, "Command2"), Qt::LeftButton);

    form_->Command5_Click();
    QWidget *dirs = window("Form3");
    QCOMPARE(dirs->windowTitle(), QString("Filemeny"));
    QCOMPARE(dirs->size(), widgets::twipsRect(0, 0, 4140, 3990).size());
    QCOMPARE(control(dirs, "Dir1")->geometry(), widgets::twipsRect(120, 900, 2835, 2340));
    QCOMPARE(control(dirs, "Text1")->palette().color(QPalette::Base), tooltip);
    QCOMPARE(focusChain(control(dirs, "Drive1"), 6),
             (QStringList{"Drive1", "Dir1", "Text1", "Command3", "Command1", "Command2"}));
    QTest::mouseClick(control<QPushButton>(dirs, "Command2"), Qt::LeftButton);
}

void WindowsTest::enterOpensTheFileChooser() {
    QTest::keyClick(form_.get(), Qt::Key_Return);
    QWidget *chooser = window("Form2");
    QVERIFY(chooser && chooser->isVisible());
    QVERIFY(!form_->isVisible());

    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    QVERIFY(form_->isVisible());
    QVERIFY(!chooser->isVisible());
    QCOMPARE(window("Form2"), chooser); // hidden, not destroyed
}

void WindowsTest::fileBrowseResetsTheTypeList() {
    makeFile(dir_->filePath("a.000"), 10);
    makeFile(dir_->filePath("b.exe"), 10);
    makeFile(dir_->filePath("c.txt"), 10);

    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    auto *types = control<QComboBox>(chooser, "Combo1");
    auto *files = control<widgets::FileListBox>(chooser, "File1");
    QCOMPARE(types->count(), 3);
    QCOMPARE(types->itemText(0), QString("(all files) *.*  "));
    QCOMPARE(types->itemText(1), QString("*.exe"));
    QCOMPARE(types->itemText(2), QString("*.000"));
    QCOMPARE(types->currentIndex(), 0);
    QCOMPARE(files->Pattern(), QString("*.*  "));

    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    QCOMPARE(files->count(), 3);
    types->setCurrentIndex(2);
    emit types->activated(2); // the user's pick
    QCOMPARE(files->Pattern(), QString("*.000"));
    QCOMPARE(files->count(), 1);
    QCOMPARE(files->item(0)->text(), QString("a.000"));

    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    form_->Command1_Click();
    QCOMPARE(window("Form2"), chooser);
    QCOMPARE(types->currentIndex(), 0);
    QCOMPARE(files->Pattern(), QString("*.*  "));
    QCOMPARE(files->count(), 3);
    QCOMPARE(files->Path(), dir_->path()); // the directory stays
}

void WindowsTest::choosingAFileToSplit() {
    const QString path = dir_->filePath("report.doc");
    makeFile(path, 4200001);
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    control<widgets::FileListBox>(chooser, "File1")->setFileName("report.doc");
    QCOMPARE(control<QLabel>(chooser, "Label1")->text(), path);
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);

    QWidget *main = window("Form1");
    QVERIFY(main->isVisible());
    QVERIFY(!chooser->isVisible());
    QCOMPARE(control<QLineEdit>(main, "Text1")->text(), path);
    QCOMPARE(control<QLineEdit>(main, "Text7")->text(), dir_->path());
    // 4200001 bytes need four 1400000-byte disks.
    QCOMPARE(control<QScrollBar>(main, "HScroll1")->value(), 4);
    QCOMPARE(control<QLabel>(main, "Label11")->text(), QString("4"));
    const QString point = QLocale().decimalPoint();
    QCOMPARE(control<QLabel>(main, "Label4")->text(),
             "Size of " + path + "\nis 4" + point + "2 Mbytes. Splitting it into 4 pieces " +
                 "will give you 4 files with 1" + point + "05 Mbytes\n\nIf this is OK, Press " +
                 "the SPLIT button, otherwise press the QUIT button.");
    QVERIFY(control(main, "Command3")->isEnabled());
    QVERIFY(!control(main, "Command4")->isEnabled());
    QVERIFY(control(main, "Check2")->isVisible());
    QVERIFY(control(main, "Check1")->isHidden());
    QVERIFY(control(main, "HScroll1")->isEnabled());
}

void WindowsTest::suggestedCountOutsideTheSliderLeavesIt() {
    makeFile(dir_->filePath("two.bin"), 2000000);
    makeFile(dir_->filePath("small.bin"), 500000);
    auto *slider = form_->HScroll1;
    slider->setValue(7);
    chooseFile(dir_->path(), "two.bin");
    QCOMPARE(slider->value(), 2);
    slider->setValue(7);
    chooseFile(dir_->path(), "small.bin");
    QCOMPARE(slider->value(), 7);
    QCOMPARE(form_->Label11->text(), QString("7"));
}

void WindowsTest::choosingAFirstPieceSwitchesToJoinMode() {
    makeFile(dir_->filePath("x.000"), 1000);
    makeFile(dir_->filePath("x.doc"), 100000);
    QWidget *main = window("Form1");
    auto *keep = control<QCheckBox>(main, "Check2");
    chooseFile(dir_->path(), "x.doc");
    keep->setChecked(true);

    chooseFile(dir_->path(), "x.000");
    QCOMPARE(control<QLabel>(main, "Label1")->text(), QString("File to join:"));
    QCOMPARE(control<QLabel>(main, "Label2")->text(), QString("Join files to directory:"));
    QVERIFY(control(main, "Command4")->isEnabled());
    QVERIFY(!control(main, "Command3")->isEnabled());
    QVERIFY(!control(main, "HScroll1")->isEnabled());
    QVERIFY(control(main, "HScroll1")->isVisible());
    for (const char *name : {"Label3", "Label11", "Label6", "Check2"})
        QVERIFY2(control(main, name)->isHidden(), name);
    QVERIFY(control(main, "Check1")->isVisible());
    QCOMPARE(control<QLabel>(main, "Label4")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Text7")->text(), dir_->path());

    // Back to split mode; the check box kept its tick.
    chooseFile(dir_->path(), "x.doc");
    QCOMPARE(control<QLabel>(main, "Label1")->text(), QString("File to split:"));
    QCOMPARE(control<QLabel>(main, "Label2")->text(), QString("Split file to directory:"));
    QVERIFY(control(main, "Label11")->isVisible());
    QVERIFY(keep->isVisible());
    QVERIFY(keep->isChecked());
}

void WindowsTest::okWithoutAFileKeepsTheChooserOpen() {
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);

    QCOMPARE(prompter_->messages.size(), std::size_t(2));
    const Message &message = prompter_->messages.back();
    QCOMPARE(message.text, std::string("You have to choose a file!"));
    QCOMPARE(message.title, std::nullopt);
    QCOMPARE(message.icon, Icon::None);
    QCOMPARE(message.buttons, platform::Buttons::Ok);
    QVERIFY(chooser->isVisible());
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->Text1->text(), dir_->path() + "/");
}

void WindowsTest::doubleClickChoosesTheFile() {
    makeFile(dir_->filePath("report.doc"), 100000);
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    auto *files = control<widgets::FileListBox>(chooser, "File1");
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    const QPoint at = files->visualItemRect(files->item(0)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);

    QVERIFY(form_->isVisible());
    QVERIFY(!chooser->isVisible());
    QCOMPARE(form_->Text1->text(), dir_->filePath("report.doc"));
    QCOMPARE(form_->Text7->text(), dir_->path());
    QVERIFY(form_->Command3->isEnabled());
}

void WindowsTest::cancelKeepsTheMainFieldsAndTheChoosersDirectory() {
    makeFile(dir_->filePath("report.doc"), 100000);
    QVERIFY(QDir(dir_->path()).mkdir("other"));
    chooseFile(dir_->path(), "report.doc");
    const QString preview = form_->Label4->text();

    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->filePath("other")));
    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    QCOMPARE(form_->Text1->text(), dir_->filePath("report.doc"));
    QCOMPARE(form_->Text7->text(), dir_->path());
    QCOMPARE(form_->Label4->text(), preview);

    form_->Command1_Click();
    QCOMPARE(control<widgets::DirListBox>(window("Form2"), "Dir1")->Path(),
             dir_->filePath("other"));
}

void WindowsTest::closeBoxDestroysTheFileChooser() {
    form_->Command1_Click();
    QPointer<QWidget> chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    chooser->close();
    QVERIFY(form_->isVisible());
    QVERIFY(!chooser->isVisible());
    QCOMPARE(window("Form2"), nullptr);
    destroyClosedWindows();
    QVERIFY(chooser.isNull());

    // The next opening creates it anew, at the process's current directory.
    form_->Command1_Click();
    QWidget *fresh = window("Form2");
    QVERIFY(fresh && fresh->isVisible());
    QCOMPARE(control<widgets::DirListBox>(fresh, "Dir1")->Path(), QDir::currentPath());
}

void WindowsTest::sliderMovesAndDragsUpdateThePreview() {
    auto *slider = form_->HScroll1;
    // Without a file only the count changes.
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(form_->Label11->text(), QString("3"));
    QCOMPARE(form_->Label4->text(), QString());

    // 200000 bytes in 3 pieces: a new choice shows whole bytes per piece.
    makeFile(dir_->filePath("report.doc"), 200000);
    chooseFile(dir_->path(), "report.doc");
    QCOMPARE(slider->value(), 3);
    QVERIFY(form_->Label4->text().contains(" 3 files with 66" + QLocale().decimalPoint() +
                                           "666 Kbytes\n"));

    const auto expected = [&](int pieces) {
        return previewSentence(dir_->filePath("report.doc"), 200000, pieces, PieceSize::Exact,
                               QLocale().decimalPoint());
    };
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(form_->Label11->text(), QString("8"));
    QCOMPARE(form_->Label4->text(), expected(8));
    slider->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(form_->Label4->text(), expected(3)); // now the quotient: 66.667

    // A drag updates count and preview on every move, not only on release.
    slider->setSliderDown(true);
    slider->setSliderPosition(20);
    QCOMPARE(form_->Label11->text(), QString("20"));
    QCOMPARE(form_->Label4->text(), expected(20));
    slider->setSliderPosition(21);
    QCOMPARE(form_->Label11->text(), QString("21"));
    slider->setSliderDown(false);
    QCOMPARE(form_->Label4->text(), expected(21));

    // The ends of the range.
    slider->setValue(150);
    QCOMPARE(form_->Label11->text(), QString("99"));
    slider->setValue(0);
    QCOMPARE(form_->Label11->text(), QString("2"));
}

void WindowsTest::previewUsesTheLocalesDecimalSeparator() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    makeFile(dir_->filePath("report.doc"), 2000000);
    chooseFile(dir_->path(), "report.doc");
    QLocale::setDefault(before);
    QVERIFY(form_->Label4->text().contains("is 2, Mbytes. "));
    QVERIFY(form_->Label4->text().contains(" files with 1, Mbytes\n"));
}

void WindowsTest::fileGoneBeforeOkIsReported() {
    const QString path = dir_->filePath("report.doc");
    makeFile(path, 100000);
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    control<widgets::FileListBox>(chooser, "File1")->setFileName("report.doc");
    QVERIFY(QFile::remove(path));
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);

    QCOMPARE(prompter_->messages.size(), std::size_t(2));
    QVERIFY(QString::fromStdString(prompter_->messages.back().text).startsWith(path + ": "));
    QCOMPARE(prompter_->messages.back().title, std::optional<std::string>("Dorvik"));
    QVERIFY(chooser->isVisible());
    QCOMPARE(form_->Text1->text(), QString());
    QCOMPARE(form_->Text7->text(), QString());
    QVERIFY(!form_->Command3->isEnabled());
    QCOMPARE(control<widgets::FileListBox>(chooser, "File1")->count(), 0);
}

void WindowsTest::fileGoneAfterChoosingIsNotMeasured() {
    const QString path = dir_->filePath("report.doc");
    makeFile(path, 100000);
    chooseFile(dir_->path(), "report.doc");
    QVERIFY(QFile::remove(path));
    form_->HScroll1->setValue(5);
    QCOMPARE(form_->Label11->text(), QString("5"));
    QVERIFY(form_->Label4->text().startsWith("Size of " + path + "\ncannot be measured"));
    QVERIFY(!form_->Label4->text().contains("Kbytes"));
}

void WindowsTest::directoryChooserStartsAtTheRoot() {
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    QVERIFY(chooser && chooser->isVisible());
    QVERIFY(!form_->isVisible());
    QCOMPARE(control<QLabel>(chooser, "Label2")->text(), QString("/"));
    QCOMPARE(control<widgets::DirListBox>(chooser, "Dir1")->Path(), QDir::currentPath());
    QVERIFY(control(chooser, "Command3")->isEnabled());
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);
    QCOMPARE(form_->Text7->text(), QString("/"));
    QVERIFY(form_->isVisible());
    QVERIFY(!chooser->isVisible());
    QCOMPARE(window("Form3"), chooser);

    // Cancel leaves the directory field alone.
    form_->Text7->setText("/somewhere");
    form_->Command5_Click();
    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    QCOMPARE(form_->Text7->text(), QString("/somewhere"));

    // The close box destroys it; the next opening starts again at the root.
    form_->Command5_Click();
    control<widgets::DirListBox>(chooser, "Dir1")->setListIndex(0);
    chooser->close();
    QVERIFY(form_->isVisible());
    QCOMPARE(window("Form3"), nullptr);
    form_->Command5_Click();
    QCOMPARE(control<QLabel>(window("Form3"), "Label2")->text(), QString("/"));
}

void WindowsTest::directoryChooserClickSelectsDoubleClickOpens() {
    QVERIFY(QDir(dir_->path()).mkpath("work/inner"));
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
    auto *chosen = control<QLabel>(chooser, "Label2");
    QVERIFY(dirs->setPath(dir_->path()));
    QCOMPARE(chosen->text(), QString("/")); // opening changes nothing

    const int work = dirs->currentDirectoryIndex() + 1;
    const QPoint at = dirs->visualItemRect(dirs->item(work)).center();
    QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(chosen->text(), dir_->filePath("work"));
    QCOMPARE(dirs->Path(), dir_->path());

    QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(dirs->Path(), dir_->filePath("work"));
    QCOMPARE(chosen->text(), dir_->filePath("work"));
}

void WindowsTest::directoryChooserNameRule() {
    QVERIFY(QDir(dir_->path()).mkdir("work"));
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
    auto *name = control<QLineEdit>(chooser, "Text1");
    auto *chosen = control<QLabel>(chooser, "Label2");
    QVERIFY(dirs->setPath(dir_->filePath("work")));
    QTest::keyClicks(name, "new");
    QCOMPARE(chosen->text(), dir_->filePath("work/new"));

    // At the root no second separator is put in.
    QVERIFY(dirs->openEntry(0));
    QCOMPARE(dirs->Path(), QString("/"));
    name->setText("new2");
    QCOMPARE(chosen->text(), QString("/new2"));

    // Each opening empties the name, which runs the name rule.
    QVERIFY(dirs->setPath(dir_->filePath("work")));
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);
    QCOMPARE(form_->Text7->text(), QString("/new2"));
    form_->Command5_Click();
    QCOMPARE(name->text(), QString());
    QCOMPARE(chosen->text(), dir_->filePath("work") + "/");
    QVERIFY(control(chooser, "Command3")->isEnabled());
}

void WindowsTest::directoryChooserCreateRule() {
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
    auto *name = control<QLineEdit>(chooser, "Text1");
    auto *create = control<QPushButton>(chooser, "Command3");
    QVERIFY(dirs->setPath(dir_->path()));
    const int before = dirs->ListCount();

    QTest::keyClicks(name, "new");
    QTest::mouseClick(create, Qt::LeftButton);
    QVERIFY(QFileInfo(dir_->filePath("new")).isDir());
    QVERIFY(!create->isEnabled());
    QCOMPARE(dirs->ListCount(), before); // the list is not reread
    QCOMPARE(prompter_->messages.size(), std::size_t(1));

    // OK hands the new directory over.
    QTest::mouseClick(control<QPushButton>(chooser, "Command1"), Qt::LeftButton);
    QCOMPARE(form_->Text7->text(), dir_->filePath("new"));

    // An existing name and an empty name fail without a word.
    form_->Command5_Click();
    QVERIFY(create->isEnabled());
    QTest::mouseClick(create, Qt::LeftButton); // empty name
    QVERIFY(!create->isEnabled());
    QTest::keyClicks(name, "new");
    QVERIFY(create->isEnabled());
    QTest::mouseClick(create, Qt::LeftButton); // exists already
    QVERIFY(!create->isEnabled());
    name->setText("no/such/parent");
    QTest::mouseClick(create, Qt::LeftButton);
    QVERIFY(!QFileInfo::exists(dir_->filePath("no")));
    QCOMPARE(prompter_->messages.size(), std::size_t(1));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"new"});
}

void WindowsTest::directoryChooserDriveRule() {
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    auto *drives = control<widgets::DriveListBox>(chooser, "Drive1");
    auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
    QVERIFY(dirs->setPath(dir_->path()));
    control<QLineEdit>(chooser, "Text1")->setText("x");
    qobject_cast<Form3 *>(chooser)->Drive1_Change();
    // The chosen path is the drive's root, the list its current directory.
    QCOMPARE(control<QLabel>(chooser, "Label2")->text(), drives->Drive());
    QCOMPARE(dirs->Path(), QString::fromStdString(
                               platform::driveCurrentDirectory(drives->Drive().toStdString())));
}

void WindowsTest::choosersHaveNoDefaultButton() {
    form_->Command5_Click();
    QWidget *chooser = window("Form3");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->path()));
    auto *name = control<QLineEdit>(chooser, "Text1");
    name->setFocus();
    QTest::keyClicks(name, "typed");
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!QFileInfo::exists(dir_->filePath("typed")));
    QVERIFY(chooser->isVisible());

    // Enter on a button that has the focus clicks it; with Ctrl it is not Enter.
    auto *ok = control<QPushButton>(chooser, "Command1");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(chooser->isVisible());
    QTest::keyClick(ok, Qt::Key_Return);
    QVERIFY(!chooser->isVisible());
    QCOMPARE(form_->Text7->text(), dir_->filePath("typed"));

    form_->Command1_Click();
    chooser = window("Form2");
    for (QPushButton *button : chooser->findChildren<QPushButton *>())
        QVERIFY(!button->isDefault());
    // The keypad's Enter as well.
    auto *cancel = control<QPushButton>(chooser, "Command2");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!chooser->isVisible());
}

void WindowsTest::unreadableDriveKeepsTheChooserUsable() {
    for (const bool fileChooser : {true, false}) {
        if (fileChooser)
            form_->Command1_Click();
        else
            form_->Command5_Click();
        QWidget *chooser = window(fileChooser ? "Form2" : "Form3");
        auto *drives = control<widgets::DriveListBox>(chooser, "Drive1");
        auto *dirs = control<widgets::DirListBox>(chooser, "Dir1");
        QVERIFY(dirs->setPath(dir_->path()));
        const QString drive = drives->Drive();
        const QString chosen = control<QLabel>(chooser, fileChooser ? "Label1" : "Label2")->text();
        const std::size_t messages = prompter_->messages.size();

        // A drive with nothing in it, like an empty floppy drive.
        drives->addItem("/no-such-drive", QString("/no-such-drive"));
        drives->setCurrentIndex(drives->count() - 1);

        QCOMPARE(prompter_->messages.size(), messages + 1);
        QVERIFY(
            QString::fromStdString(prompter_->messages.back().text).startsWith("/no-such-drive: "));
        QCOMPARE(drives->Drive(), drive);
        QCOMPARE(dirs->Path(), dir_->path());
        QCOMPARE(control<QLabel>(chooser, fileChooser ? "Label1" : "Label2")->text(), chosen);
        QVERIFY(chooser->isVisible());
        QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
        QVERIFY(form_->isVisible());
    }
}

void WindowsTest::aboutIsCreatedAnewAndDestroyedOnClose() {
    QTest::mouseClick(form_->Command6, Qt::LeftButton);
    QPointer<QWidget> about = window("Form4");
    QVERIFY(about && about->isVisible());
    QVERIFY(!form_->isVisible());
    QCOMPARE(about->windowTitle(), QString("About Dorvik"));
    QCOMPARE(control<QLabel>(about, "Label1")->text(), versionNotice());
    QCOMPARE(control<QLabel>(about, "Picture1")->pixmap().size(), QSize(32, 32));
    QVERIFY(control<QPushButton>(about, "Command1")->isDefault());

    // Enter answers OK.
    QTest::keyClick(about, Qt::Key_Return);
    QVERIFY(form_->isVisible());
    QCOMPARE(window("Form4"), nullptr);
    destroyClosedWindows();
    QVERIFY(about.isNull());

    // A new one each time; the close box brings the main window back too.
    QTest::mouseClick(form_->Command6, Qt::LeftButton);
    about = window("Form4");
    QVERIFY(about && about->isVisible());
    about->setWindowTitle("changed");
    about->close();
    QVERIFY(form_->isVisible());
    destroyClosedWindows();
    QVERIFY(about.isNull());
    QTest::mouseClick(form_->Command6, Qt::LeftButton);
    QCOMPARE(window("Form4")->windowTitle(), QString("About Dorvik"));
    QTest::mouseClick(control<QPushButton>(window("Form4"), "Command1"), Qt::LeftButton);
    QVERIFY(form_->isVisible());
}

void WindowsTest::quitEndsTheProgramAtOnce() {
    // A hidden chooser exists; its close handler must not run.
    form_->Command1_Click();
    auto *chooser = qobject_cast<Window *>(window("Form2"));
    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);

    QTimer guard; // ends a program that failed to end
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    QTimer::singleShot(0, form_->Command2, [this] { form_->Command2->click(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!form_->isVisible());
    QVERIFY(!chooser->isVisible());
    QVERIFY(!chooser->isUnloaded());
}

void WindowsTest::closingTheMainWindowEndsTheProgram() {
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!form_->isVisible());
}

void WindowsTest::wholeSplitAndJoinFromTheButtons() {
    const QByteArray original = pattern(100001, 1);
    QDir base(dir_->path());
    QVERIFY(base.mkdir("src"));
    QVERIFY(base.mkdir("out"));
    QVERIFY(base.mkdir("back"));
    const QString source = dir_->filePath("src/data.bin");
    writeFile(source, original);

    chooseFile(dir_->filePath("src"), "data.bin");
    form_->HScroll1->setValue(3);
    chooseDirectory(dir_->filePath("out"));
    QCOMPARE(form_->Text7->text(), dir_->filePath("out"));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);

    QCOMPARE(prompter_->messages.size(), std::size_t(2));
    QCOMPARE(prompter_->messages.back().text,
             (source + "\n is successfully splitted!").toStdString());
    QCOMPARE(prompter_->messages.back().title, std::optional<std::string>("Dorvik "));
    QCOMPARE(form_->Text4->text(), QString("bin"));
    QCOMPARE(QDir(dir_->filePath("out")).entryList(QDir::Files),
             (QStringList{"data.000", "data.000.sha256", "data.001", "data.002"}));
    QCOMPARE(readFile(source), original);

    // Join the set into another directory, deleting the pieces.
    chooseFile(dir_->filePath("out"), "data.000");
    QVERIFY(form_->Command4->isEnabled());
    chooseDirectory(dir_->filePath("back"));
    form_->Check1->setChecked(true);
    QStringList fieldsAtSuccess;
    prompter_->onMessage = [&](const Message &) {
        fieldsAtSuccess = {form_->Text1->text(), form_->Text7->text(),
                           form_->Command4->isEnabled() ? "enabled" : "disabled"};
    };
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    prompter_->onMessage = nullptr;
    QCOMPARE(fieldsAtSuccess, (QStringList{"", "", "disabled"}));

    QCOMPARE(prompter_->messages.size(), std::size_t(3));
    QCOMPARE(prompter_->messages.back().text,
             (dir_->filePath("out/data.bin") + "\n is successfully joined!").toStdString());
    QCOMPARE(prompter_->messages.back().title, std::optional<std::string>("Dorvik "));
    QCOMPARE(readFile(dir_->filePath("out/data.bin")), original);
    QCOMPARE(readFile(dir_->filePath("back/data.bin")), original);
    QCOMPARE(QDir(dir_->filePath("out")).entryList(QDir::Files), QStringList{"data.bin"});
    QCOMPARE(form_->Text1->text(), QString());
    QCOMPARE(form_->Text7->text(), QString());
    QVERIFY(!form_->Command4->isEnabled());
    QCOMPARE(form_->Text2->text(), QString("3"));
    QCOMPARE(form_->Text4->text(), QString("bin"));
}

void WindowsTest::splitUsesTheFileChosenByOkNotTheChoosersLaterState() {
    const QByteArray wanted = pattern(90000, 2);
    QDir base(dir_->path());
    QVERIFY(base.mkdir("a"));
    QVERIFY(base.mkdir("b"));
    writeFile(dir_->filePath("a/wanted.doc"), wanted);
    writeFile(dir_->filePath("b/other.txt"), pattern(90000, 3));

    chooseFile(dir_->filePath("a"), "wanted.doc");
    form_->HScroll1->setValue(3);
    // The chooser is reopened, moved elsewhere with another selection, and
    // cancelled: the main window still means a/wanted.doc.
    form_->Command1_Click();
    QWidget *chooser = window("Form2");
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->filePath("b")));
    control<widgets::FileListBox>(chooser, "File1")->setFileName("other.txt");
    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    QCOMPARE(form_->Text1->text(), dir_->filePath("a/wanted.doc"));

    QTest::mouseClick(form_->Command3, Qt::LeftButton);
    QCOMPARE(
        QDir(dir_->filePath("a")).entryList(QDir::Files),
        (QStringList{"wanted.000", "wanted.000.sha256", "wanted.001", "wanted.002", "wanted.doc"}));
    QCOMPARE(QDir(dir_->filePath("b")).entryList(QDir::Files), QStringList{"other.txt"});

    // The same for a join: choose the first piece, wander off, cancel, join.
    QVERIFY(QFile::remove(dir_->filePath("a/wanted.doc")));
    chooseFile(dir_->filePath("a"), "wanted.000");
    form_->Command1_Click();
    QVERIFY(control<widgets::DirListBox>(chooser, "Dir1")->setPath(dir_->filePath("b")));
    control<widgets::FileListBox>(chooser, "File1")->setFileName("other.txt");
    QTest::mouseClick(control<QPushButton>(chooser, "Command2"), Qt::LeftButton);
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    QCOMPARE(readFile(dir_->filePath("a/wanted.doc")), wanted);
    QCOMPARE(QDir(dir_->filePath("b")).entryList(QDir::Files), QStringList{"other.txt"});
}

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
