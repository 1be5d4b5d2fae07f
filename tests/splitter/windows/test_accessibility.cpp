// The windows as a screen reader hears them, and in the user's language.
#include "platform/translate.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/progressdialog.h"
#include "platform/widgets/translations.h"
#include "splitter/engine/checksums.h"
#include "splitter/engine/operations.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/form3.h"
#include "splitter/windows/form4.h"
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
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>
#include <set>

using namespace dorvik;
using namespace dorvik::splitter;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

class AccessibilityTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    testing::RecordingPrompter prompter_;
    std::unique_ptr<Form1> main_;

    // The window a row names, reached as the user reaches it.
    QWidget *open(const QString &window) {
        const auto file = [this](const char *name, qint64 size) {
            QFile f(dir_.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(size));
            openFile(*main_, f.fileName());
        };
        if (window == "main, split mode")
            file("report.doc", 4200001);
        if (window == "main, join mode")
            file("report.000", 1000);
        if (window == "file chooser")
            return main_->Command1_Click(), main_->existingFileChooser();
        if (window == "directory chooser")
            return main_->Command5_Click(), main_->existingDirectoryChooser();
        if (window == "about")
            return main_->Command6_Click(), main_->existingAboutWindow();
        return main_.get();
    }

    // A message of the engine, as the windows show it: a refusal naming a
    // path, a damaged piece, the floppy question, or the join's success.
    std::string engineText(const QString &message) {
        if (message == "refusal")
            return engine::checkSet("/x/a.010").reason;
        if (message == "checksum") {
            engine::PieceSet set;
            set.pieces = {"/x/a.000"};
            engine::SetChecksums sums;
            sums.path = "/x/a.000.sha256";
            sums.digests.pieces = {engine::Sha256::of("a")};
            return engine::firstMismatch(set, sums, {{engine::Sha256::of("b")}, {}}).value_or("");
        }
        if (message == "floppy") { // two pieces of 2.1 MB each; Cancel writes nothing
            QFile f(dir_.filePath("report.doc"));
            if (!f.open(QIODevice::WriteOnly) || !f.resize(4200000))
                return "cannot make " + f.fileName().toStdString();
            engine::SplitRequest request;
            request.sourcePath = f.fileName().toStdString();
            request.targetDirectory = dir_.path().toStdString();
            testing::RecordingPrompter asked;
            asked.answers = {platform::Answer::Cancel};
            engine::split(request, asked);
            return asked.messages.empty() ? "" : asked.messages.front().text;
        }
        return platform::fill(platform::translated("Join", "%1\n is successfully joined!"),
                              {"/x/a.doc"});
    }

    // The text a row names: a control's caption, a window's title (no
    // control), or a text the windows compose.
    QString shown(const QString &window, const QString &control) {
        if (window == "message") { // the reason under the path
            openFile(*main_, dir_.filePath("gone"));
            return QString::fromStdString(prompter_.messages.back().text).section('\n', 1);
        }
        if (window == "Qt")
            return QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::Cancel)
                .buttons()[0]
                ->text();
        if (window == "engine")
            return QString::fromStdString(engineText(control));
        if (window == "progress") {
            engine::Progress p;
            p.pieces = 7;
            return activityLine(p, {"a%1.doc", "a%1.", "/x"});
        }
        QWidget *w = open(window);
        QWidget *c =
            control.isEmpty() || control == "name" ? nullptr : w->findChild<QWidget *>(control);
        if (auto *combo = qobject_cast<QComboBox *>(c))
            return combo->itemText(0);
        if (auto *button = qobject_cast<QAbstractButton *>(c))
            return button->text();
        return c ? qobject_cast<QLabel *>(c)->text()
               : control == "name"
                   ? QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name)
                   : w->windowTitle();
    }

private slots:
    void init() {
        widgets::installPrompter(&prompter_);
        main_ = std::make_unique<Form1>();
    }
    void cleanup() {
        main_.reset();
        widgets::installPrompter(nullptr);
        for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>())
            delete t; // and so removed
        platform::setTranslateHook({});
    }

    void everyControlHasADistinctName_data() {
        QTest::addColumn<QString>("window");
        for (const char *window : {"main, at start", "main, split mode", "main, join mode",
                                   "file chooser", "directory chooser", "about", "progress"})
            QTest::newRow(window) << window;
    }

    void everyControlHasADistinctName() {
        QFETCH(QString, window);
        widgets::ProgressDialog progress(main_.get());
        progress.setActivity("Splitting report.doc into 7 pieces");
        const QStringList problems =
            testing::unnamedOrAlike(window == "progress" ? &progress : open(window));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        QCOMPARE(progress.windowTitle(), QString("Splitting report.doc into 7 pieces - Dorvik"));
    }

    void theSliderCarriesThePreview() {
        open("main, split mode");
        main_->HScroll1->setValue(7);
        QVERIFY(main_->Label4->text().contains("7 pieces"));
        QCOMPARE(main_->HScroll1->accessibleDescription(), main_->Label4->text());
        QCOMPARE(main_->Label4->focusPolicy(), Qt::TabFocus);
    }

    void textsInEachLanguage_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("english"); // as the design writes it, byte for byte
        QTest::addColumn<QString>("german");
        const char *const rows[][4] = {
            {"main, at start", "Label1", "File to split:", "Zu teilende Datei:"},
            {"main, at start", "Command5", "Browse", "Durchsuchen"},
            {"main, split mode", "Check2", "Copy splitted files to floppy disks?",
             "Teile auf Disketten kopieren?"},
            {"main, join mode", "Label2", "Join files to directory:", "Datei speichern in:"},
            {"file chooser", "", "Filemeny", "Datei wählen"},
            {"file chooser", "Label5", "Directorys:", "Verzeichnisse:"},
            {"file chooser", "Combo1", "(all files) *.*  ", "(alle Dateien) *.*  "},
            {"directory chooser", "", "Filemeny", "Verzeichnis wählen"},
            {"directory chooser", "Command3", "Create", "Anlegen"},
            // The two choosers, titled alike, are told apart by their names.
            {"file chooser", "name", "Choose a file", "Datei wählen"},
            {"directory chooser", "name", "Choose a directory", "Verzeichnis wählen"},
            {"about", "", "About Dorvik", "Über Dorvik"},
            {"about", "Label1", "Dorvik 1.0\nSplits a file into pieces and joins the pieces again.",
             "Dorvik 1.0\nTeilt eine Datei in Stücke und fügt die Stücke wieder zusammen."},
            {"message", "", "This file does not exist.", "Diese Datei gibt es nicht."},
            {"Qt", "", "Cancel", "Abbrechen"},
            {"engine", "", "/x/a.doc\n is successfully joined!",
             "/x/a.doc\nwurde erfolgreich zusammengefügt!"},
            {"engine", "refusal",
             "/x/a.010: not the first piece of a split file; its name has to end in 000.",
             "/x/a.010: Das ist nicht das erste Teil einer geteilten Datei; sein Name muss auf 000 "
             "enden."},
            {"engine", "checksum",
             "/x/a.000: this piece is damaged; it does not match its checksum in a.000.sha256.",
             "/x/a.000: Dieses Teil ist beschädigt; es passt nicht zu seiner Prüfsumme in "
             "a.000.sha256."},
            {"engine", "floppy",
             "The files will be larger than 1,4 Mb,\nand will not fit on floppy disks.",
             "Die Teile werden größer als 1,4 MByte\nund passen nicht auf Disketten."},
            // A name holding "%2" stays as it is.
            {"progress", "", "Splitting a%1.doc into 7 pieces", "a%1.doc wird in 7 Teile geteilt"},
        };
        for (const auto &row : rows)
            QTest::addRow("%s %s", row[0], row[1]) << row[0] << row[1] << row[2] << row[3];
    }

    void textsInEachLanguage() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(shown(window, control), english);
        QVERIFY(widgets::loadTranslations(QLocale(QLocale::German, QLocale::Germany)));
        main_ = std::make_unique<Form1>();
        QCOMPARE(shown(window, control), german);
    }

    // Every text of the German catalog is translated, with the placeholders
    // of its English text: a lost %1 would drop a path from a message.
    void theGermanCatalogIsCompleteAndKeepsPlaceholders() {
        QFile catalog(DORVIK_GERMAN_CATALOG);
        QVERIFY(catalog.open(QIODevice::ReadOnly));
        const auto placeholders = [](const QString &text) {
            std::set<QString> found;
            for (const QRegularExpressionMatch &m : QRegularExpression("%[1-9]").globalMatch(text))
                found.insert(m.captured());
            return found;
        };
        QXmlStreamReader xml(&catalog);
        QString english;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source") {
                english = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const bool unfinished = xml.attributes().value("type") == u"unfinished";
                const QString german = xml.readElementText();
                QVERIFY2(!unfinished && !german.isEmpty(), qPrintable(english));
                QVERIFY2(placeholders(german) == placeholders(english), qPrintable(english));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
