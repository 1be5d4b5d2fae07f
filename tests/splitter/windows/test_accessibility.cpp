// The windows as a screen reader hears them, and in the user's language.
#include "platform/translate.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/progressdialog.h"
#include "platform/widgets/translations.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/form3.h"
#include "splitter/windows/form4.h"
#include "splitter/windows/preview.h"
#include "splitter/windows/progress.h"
#include "tests/support/accessible_names.h"
#include "tests/support/recording_prompter.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

using namespace dorvik;
using namespace dorvik::splitter;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> main_;

    // A file of `size` bytes in the test's directory.
    QString file(const char *name, qint64 size) {
        QFile f(dir_->filePath(name));
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
            qFatal("cannot make %s", name);
        return f.fileName();
    }

    // The window a row looks at, made as the user gets there.
    QWidget *open(const QString &window) {
        if (window == "main, split mode")
            openFile(*main_, file("report.doc", 4200001));
        if (window == "main, join mode")
            openFile(*main_, file("report.000", 1000));
        if (window == "file chooser")
            return main_->Command1_Click(), main_->existingFileChooser();
        if (window == "directory chooser")
            return main_->Command5_Click(), main_->existingDirectoryChooser();
        if (window == "about")
            return main_->Command6_Click(), main_->existingAboutWindow();
        return main_.get();
    }

    static void dropTranslations() {
        for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        platform::setTranslateHook({});
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        prompter_ = std::make_unique<testing::RecordingPrompter>();
        widgets::installPrompter(prompter_.get());
        main_ = std::make_unique<Form1>();
    }
    void cleanup() {
        main_.reset();
        widgets::installPrompter(nullptr);
        dropTranslations();
    }

    void everyControlHasADistinctName_data() {
        QTest::addColumn<QString>("window");
        for (const char *window : {"main, at start", "main, split mode", "main, join mode",
                                   "file chooser", "directory chooser", "about"})
            QTest::newRow(window) << window;
        QTest::newRow("progress") << "progress";
    }

    void everyControlHasADistinctName() {
        QFETCH(QString, window);
        if (window == "progress") {
            widgets::ProgressDialog dialog(main_.get());
            dialog.setActivity("Splitting report.doc into 7 pieces");
            QCOMPARE(testing::unnamedOrAlike(&dialog), QStringList());
            QCOMPARE(dialog.windowTitle(), QString("Splitting report.doc into 7 pieces - Dorvik"));
            return;
        }
        const QStringList problems = testing::unnamedOrAlike(open(window));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    }

    void theChoosersSoundDifferent() {
        // Both are titled "Filemeny"; a screen reader names them apart.
        const auto heard = [](QWidget *w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(heard(open("file chooser")), QString("Choose a file"));
        QCOMPARE(heard(open("directory chooser")), QString("Choose a directory"));
    }

    void theSliderCarriesThePreview() {
        openFile(*main_, file("report.doc", 4200001));
        main_->HScroll1->setValue(7);
        const QString preview = main_->Label4->text();
        QVERIFY(preview.contains("7 pieces"));
        QCOMPARE(main_->HScroll1->accessibleDescription(), preview);
        QCOMPARE(main_->Label4->focusPolicy(), Qt::TabFocus);
    }

    void textsInEachLanguage_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // "" for the window's title
        QTest::addColumn<QString>("english"); // exactly as shown under C
        QTest::addColumn<QString>("german");
        QTest::newRow("main file label") << "main, at start"
                                         << "Label1"
                                         << "File to split:"
                                         << "Zu teilende Datei:";
        QTest::newRow("main Browse") << "main, at start"
                                     << "Command5"
                                     << "Browse"
                                     << "Durchsuchen";
        QTest::newRow("main floppy option") << "main, split mode"
                                            << "Check2"
                                            << "Copy splitted files to floppy disks?"
                                            << "Teile auf Disketten kopieren?";
        QTest::newRow("main join label") << "main, join mode"
                                         << "Label2"
                                         << "Join files to directory:"
                                         << "Datei speichern in:";
        QTest::newRow("file chooser title") << "file chooser"
                                            << ""
                                            << "Filemeny"
                                            << "Datei wählen";
        QTest::newRow("file chooser label") << "file chooser"
                                            << "Label5"
                                            << "Directorys:"
                                            << "Verzeichnisse:";
        QTest::newRow("file types") << "file chooser"
                                    << "Combo1"
                                    << "(all files) *.*  "
                                    << "(alle Dateien) *.*  ";
        QTest::newRow("directory chooser title") << "directory chooser"
                                                 << ""
                                                 << "Filemeny"
                                                 << "Verzeichnis wählen";
        QTest::newRow("directory chooser Create") << "directory chooser"
                                                  << "Command3"
                                                  << "Create"
                                                  << "Anlegen";
        QTest::newRow("about title") << "about"
                                     << ""
                                     << "About Dorvik"
                                     << "Über Dorvik";
        QTest::newRow("about notice")
            << "about"
            << "Label1"
            << "Dorvik 1.0\nSplits a file into pieces and joins the pieces again."
            << "Dorvik 1.0\nTeilt eine Datei in Stücke und fügt die Stücke wieder zusammen.";
        QTest::newRow("message box") << "message"
                                     << ""
                                     << "This file does not exist."
                                     << "Diese Datei gibt es nicht.";
        QTest::newRow("Qt's own button") << "Qt"
                                         << "Cancel"
                                         << "Cancel"
                                         << "Abbrechen";
        QTest::newRow("engine message") << "engine"
                                        << ""
                                        << "/x/a.doc\n is successfully joined!"
                                        << "/x/a.doc\nwurde erfolgreich zusammengefügt!";
        QTest::newRow("preview")
            << "preview"
            << ""
            << "Size of /x/a%2.doc\nis 4.2 Mbytes. Splitting it into 4 pieces "
               "will give you 4 files with 1.05 Mbytes\n\nIf this is OK, Press "
               "the SPLIT button, otherwise press the QUIT button."
            << "Größe von /x/a%2.doc:\n4.2 MByte. In 4 Teile geteilt ergibt "
               "das 4 Dateien mit je 1.05 MByte\n\nWenn das passt, drücken "
               "Sie TEILEN, sonst BEENDEN.";
        QTest::newRow("progress") << "progress"
                                  << ""
                                  << "Splitting a%1.doc into 7 pieces"
                                  << "a%1.doc wird in 7 Teile geteilt";
    }

    void textsInEachLanguage() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, english);
        QFETCH(QString, german);
        const std::function<QString()> shown = [&]() -> QString {
            if (window == "message") {
                prompter_->messages.clear();
                openFile(*main_, dir_->filePath("gone"));
                return QString::fromStdString(prompter_->messages.at(0).text).section('\n', 1);
            }
            if (window == "Qt")
                return QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::Cancel)
                    .button(QMessageBox::Cancel)
                    ->text();
            if (window == "engine")
                return QString::fromStdString(platform::fill(
                    platform::translated("Join", "%1\n is successfully joined!"), {"/x/a.doc"}));
            if (window == "preview")
                return previewSentence("/x/a%2.doc", 4200001, 4, PieceSize::Exact, ".");
            if (window == "progress") {
                engine::Progress p;
                p.activity = engine::Activity::Splitting;
                p.pieces = 7;
                return activityLine(p, {"a%1.doc", "a%1.", "/x"});
            }
            QWidget *w = open(window);
            if (control.isEmpty())
                return w->windowTitle();
            QWidget *c = w->findChild<QWidget *>(control);
            if (auto *combo = qobject_cast<QComboBox *>(c))
                return combo->itemText(0);
            if (auto *button = qobject_cast<QAbstractButton *>(c))
                return button->text();
            return qobject_cast<QLabel *>(c)->text();
        };
        QCOMPARE(shown(), english);
        QVERIFY(widgets::loadTranslations(QLocale(QLocale::German, QLocale::Germany)));
        main_ = std::make_unique<Form1>();
        QCOMPARE(shown(), german);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
