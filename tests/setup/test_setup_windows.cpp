#include "platform/fs.h"
#include "platform/mounts.h"
#include "platform/translate.h"
#include "platform/widgets/classicicon.h"
#include "platform/widgets/listcontrols.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/translations.h"
#include "setup/form1.h"
#include "setup/form2.h"
#include "setup/form3.h"
#include "setup/form4.h"
#include "setup/icon.h"
#include "setup/installer.h"
#include "setup/texts.h"
#include "tests/setup/setup_test_support.h"
#include "tests/support/accessible_names.h"
#include "tests/support/recording_prompter.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace dorvik;
using namespace dorvik::setup;

class TestSetupWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempDir> home_;
    std::unique_ptr<testing::ScopedEnv> homeEnv_;
    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Installer> installer_;
    int ends_ = 0;

    Installer &installer() { return *installer_; }
    template <class T> T *child(QWidget *form, const char *name) {
        T *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    static QString q(const std::string &s) { return QString::fromStdString(s); }
    // Lets windows that were closed go (a closed chooser is destroyed).
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool allHidden() {
        for (QWidget *w : {static_cast<QWidget *>(installer().loadedForm1()),
                           static_cast<QWidget *>(installer().loadedForm2()),
                           static_cast<QWidget *>(installer().loadedForm3()),
                           static_cast<QWidget *>(installer().loadedForm4())})
            if (w && w->isVisible())
                return false;
        return true;
    }
    // Welcome window, then OK: the main window.
    Form1 *toMainWindow() {
        installer().start();
        QTest::mouseClick(installer().form4()->Command1, Qt::LeftButton);
        return installer().loadedForm1();
    }

private slots:
    void init() {
        home_ = std::make_unique<testing::TempDir>();
        homeEnv_ = std::make_unique<testing::ScopedEnv>("HOME", home_->path());
        prompter_ = std::make_unique<testing::RecordingPrompter>();
        widgets::installPrompter(prompter_.get());
        ends_ = 0;
        installer_ = std::make_unique<Installer>([this] { ++ends_; });
    }
    void cleanup() {
        installer_.reset();
        flushDeletes();
        widgets::installPrompter(nullptr);
        prompter_.reset();
        homeEnv_.reset();
        home_.reset();
    }

    void startUpShowsBackdropAndWelcome() {
        installer().start();
        Form3 *backdrop = installer().loadedForm3();
        Form4 *welcome = installer().loadedForm4();
        QVERIFY(backdrop && welcome);
        QVERIFY(backdrop->isVisible() && welcome->isVisible());
        QVERIFY(!installer().loadedForm1());
        QCOMPARE(welcome->windowTitle(), QString("Setup"));
        QCOMPARE(child<QLabel>(welcome, "Label1")->text(),
                 QString("Welcome to the Dorvik installation program."));
        QCOMPARE(child<QLabel>(welcome, "Label2")->text(), q(noticeText()));
        QCOMPARE(child<QLabel>(backdrop, "Label1")->text(), QString("Dorvik Setup"));
        QCOMPARE(child<QLabel>(backdrop, "Label2")->text(), QString("Dorvik Setup"));
        QLabel *name = child<QLabel>(backdrop, "Label3");
        QCOMPARE(name->text(), QString("Dorvik"));
        QVERIFY(!name->isVisible());
        QCOMPARE(backdrop->windowTitle(), QString("Form3"));
        QVERIFY(child<QPushButton>(welcome, "Command1")->isDefault());
        QCOMPARE(child<QPushButton>(welcome, "Command2")->text(), QString("Exit Setup"));
        QVERIFY(child<QLabel>(backdrop, "Label1")->font().italic());
        QVERIFY(child<QLabel>(backdrop, "Label1")->font().bold());
    }

    void everyTextFollowsTheBackdropsLabel() {
        installer().form3()->Label3->setText("Xyz");
        installer().start();
        QCOMPARE(installer().form4()->Label1->text(),
                 QString("Welcome to the Xyz installation program."));
        Form1 *main = installer().form1();
        QCOMPARE(main->Label2->text(), q(instructionText("Xyz")));
        QVERIFY(main->Label2->text().startsWith(QString(12, ' ') + "Click"));
        QCOMPARE(main->Label1->text(), q(home_->path() + "/Xyz"));
        main->Command1->click(); // Browse
        Form2 *chooser = installer().loadedForm2();
        chooser->Text1->setText("/opt");
        chooser->Command1->click();
        QCOMPARE(main->Label1->text(), QString("/opt/Xyz"));
    }

    void okLeadsToTheMainWindowInTheWelcomesPlace() {
        installer().start();
        Form4 *welcome = installer().form4();
        QTest::keyClick(welcome, Qt::Key_Return); // Enter acts as OK
        Form1 *main = installer().loadedForm1();
        QVERIFY(main && main->isVisible());
        QVERIFY(!welcome->isVisible());
        QVERIFY(installer().form3()->isVisible());
        QCOMPARE(main->geometry().topLeft(), welcome->geometry().topLeft());
        QCOMPARE(main->windowTitle(), QString("Setup"));
        QCOMPARE(main->Frame1->title(), QString("Directory:"));
        QCOMPARE(main->Label1->text(), q(home_->path() + "/Dorvik"));
        QVERIFY(main->Command1->isDefault());
        QCOMPARE(main->Command2->text(), QString("Exit setup"));
        QVERIFY(!main->Command3->icon().isNull());
        QVERIFY(main->Command3->text().isEmpty());
        QCOMPARE(ends_, 0);
    }

    void waysOutEndTheInstaller_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Exit Setup on the welcome window") << 0;
        QTest::newRow("closing the welcome window") << 1;
        QTest::newRow("Exit setup on the main window") << 2;
        QTest::newRow("closing the main window") << 3;
        QTest::newRow("Exit setup after choosing a directory") << 4;
    }
    void waysOutEndTheInstaller() {
        QFETCH(int, way);
        installer().start();
        switch (way) {
        case 0:
            installer().form4()->Command2->click();
            break;
        case 1:
            installer().form4()->close();
            break;
        case 2:
            toMainWindow()->Command2->click();
            break;
        case 3:
            toMainWindow()->close();
            break;
        case 4: {
            Form1 *main = toMainWindow();
            main->Command1->click();
            installer().form2()->Command1->click();
            main->Command2->click();
            break;
        }
        }
        QCOMPARE(ends_, 1);
        QVERIFY(installer().ending());
        QVERIFY(allHidden());
        QVERIFY(prompter_->messages.empty()); // no question on the way out
        if (way < 2)
            QVERIFY(!installer().loadedForm1());
    }

    void chooserOkAppendsTheProductName() {
        Form1 *main = toMainWindow();
        QTest::keyClick(main, Qt::Key_Return); // Enter acts as Browse
        Form2 *chooser = installer().loadedForm2();
        QVERIFY(chooser && chooser->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(chooser->windowTitle(), QString("Filemeny"));
        QCOMPARE(chooser->Text1->text(), q(platform::currentDirectory()));
        QCOMPARE(chooser->Dir1->Path(), q(platform::currentDirectory()));

        // Untouched: the current directory.
        QTest::keyClick(chooser, Qt::Key_Return); // Enter acts as OK
        QVERIFY(main->isVisible() && !chooser->isVisible());
        QCOMPARE(main->Label1->text(), q(platform::currentDirectory() + "/Dorvik"));
        QCOMPARE(main->Label2->text(), q(instructionText("Dorvik")));

        // The root entry of the directory list: two separators.
        main->Command1->click();
        chooser->Dir1->setListIndex(0);
        QCOMPARE(chooser->Text1->text(), QString("/"));
        chooser->Command1->click();
        QCOMPARE(main->Label1->text(), QString("//Dorvik"));

        // Empty: a directory in the root.
        main->Command1->click();
        chooser->Text1->clear();
        chooser->Command1->click();
        QCOMPARE(main->Label1->text(), QString("/Dorvik"));
    }

    void enterFromAnyKeyOrFieldPressesTheDefaultButton() {
        installer().start();
        // The keypad's Enter key as well as Return.
        QTest::keyClick(installer().form4(), Qt::Key_Enter, Qt::KeypadModifier);
        Form1 *main = installer().loadedForm1();
        QVERIFY(main && main->isVisible());
        QTest::keyClick(main, Qt::Key_Enter, Qt::KeypadModifier);
        Form2 *chooser = installer().loadedForm2();
        QVERIFY(chooser && chooser->isVisible());

        // Enter in the path field and in the drive list: OK.
        chooser->Text1->setText("/typed path");
        QTest::keyClick(chooser->Text1, Qt::Key_Return);
        QVERIFY(main->isVisible() && !chooser->isVisible());
        QCOMPARE(main->Label1->text(), QString("/typed path/Dorvik"));
        main->Command1->click();
        chooser->Text1->setText("/other");
        QTest::keyClick(chooser->Drive1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(main->Label1->text(), QString("/other/Dorvik"));
        QVERIFY(main->isVisible());

        // Enter on the directory list after picking an entry: OK with that
        // entry, not a visit to it.
        main->Command1->click();
        const QString listed = chooser->Dir1->Path();
        chooser->Dir1->setListIndex(0);
        QTest::keyClick(chooser->Dir1, Qt::Key_Return);
        QVERIFY(main->isVisible() && !chooser->isVisible());
        QCOMPARE(main->Label1->text(), QString("//Dorvik"));
        QCOMPARE(chooser->Dir1->Path(), listed);

        // With a modifier other than the keypad's it is not Enter.
        QTest::keyClick(main, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(main->isVisible());
    }

    void chooserCancelAndCloseLeaveTheTarget() {
        Form1 *main = toMainWindow();
        const QString proposed = main->Label1->text();
        main->Command1->click();
        QPointer<Form2> chooser = installer().loadedForm2();
        chooser->Text1->setText("/somewhere/else");
        chooser->Command2->click(); // Cancel
        QCOMPARE(main->Label1->text(), proposed);
        QVERIFY(main->isVisible() && !chooser->isVisible());

        // Browse again: the same window as it was left.
        main->Command1->click();
        QCOMPARE(installer().loadedForm2(), chooser.data());
        QCOMPARE(chooser->Text1->text(), QString("/somewhere/else"));

        // The close box: back to the main window; the chooser goes and comes
        // back fresh.
        chooser->close();
        flushDeletes();
        QVERIFY(chooser.isNull());
        QVERIFY(main->isVisible());
        QCOMPARE(main->Label1->text(), proposed);
        QCOMPARE(ends_, 0);
        main->Command1->click();
        QCOMPARE(installer().loadedForm2()->Text1->text(), q(platform::currentDirectory()));
    }

    void pictureButtonRunsTheInstallationAndEnds() {
        testing::TempDir medium;
        testing::writeFile(medium / "Dorvik._xe", "program");
        installer().environment.currentDirectory = [&] { return medium.path(); };
        std::vector<ShellLinkCall> calls;
        installer().environment.createShellLink = [&](const std::string &,
                                                      const ShellLinkCall &call) {
            calls.push_back(call);
            return true;
        };
        Form1 *main = toMainWindow();
        const std::string target = home_->path() + "/Dorvik";
        testing::writeFile(medium / "Vb5stkit._ll", "library");
        QTest::mouseClick(main->Command3, Qt::LeftButton);

        QCOMPARE(ends_, 1);
        QVERIFY(allHidden());
        QCOMPARE(prompter_->messages.size(), size_t(2));
        QCOMPARE(prompter_->messages[0].title, std::optional<std::string>("Setup"));
        QCOMPARE(q(prompter_->messages[1].text), QString("Dorvik is successfully installed!"));
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(q(calls[0].program), q(target + "/Dorvik.exe"));
        QCOMPARE(testing::readText(target + "/Dorvik.exe"), std::optional<std::string>("program"));
        QCOMPARE(main->Frame1->title(), QString("Directory:"));
        QCOMPARE(main->Label1->text(), q(target));
    }

    // Cancel to the free-space warning goes back to the window.
    void cancelledForLackOfSpaceStaysInTheWindow() {
        testing::TempDir medium;
        testing::writeFile(medium / "Dorvik._xe", "program");
        installer().environment.currentDirectory = [&] { return medium.path(); };
        platform::ScopedVolumeSeam noRoom({[](const std::string &) {
                                               return platform::VolumeFacts{"/", "ext4", 1, 0, {}};
                                           },
                                           {}});
        prompter_->answers = {platform::Answer::Cancel};
        Form1 *main = toMainWindow();
        QTest::mouseClick(main->Command3, Qt::LeftButton);
        QCOMPARE(ends_, 0);
        QVERIFY(main->isVisible());
    }

    // The run never returns to the event loop while it copies, yet the
    // frame's "Copying:" and every copy line reach the screen, in order.
    void copyLinesArePaintedAsTheRunSetsThem() {
        testing::TempDir medium;
        installer().environment.currentDirectory = [&] { return medium.path(); };
        installer().environment.systemDirectory = [] { return std::string("/sys-dir"); };
        Form1 *main = toMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        const std::string target = main->targetDirectory();

        struct PaintLog : QObject {
            Form1 *form;
            QStringList painted; // "frame caption | line", at each paint of the line
            explicit PaintLog(Form1 *f) : form(f) {}
            bool eventFilter(QObject *, QEvent *event) override {
                if (event->type() == QEvent::Paint)
                    painted << form->Frame1->title() + " | " + form->Label1->text();
                return false;
            }
        } log(main);
        main->Label1->installEventFilter(&log);
        QTest::mouseClick(main->Command3, Qt::LeftButton);
        main->Label1->removeEventFilter(&log);

        QStringList expected{"Copying: | " + q(target)}; // the caption changes first
        for (const CopyStep &step : copySteps("Dorvik", medium.path(), target, "/sys-dir"))
            expected << "Copying: | " + q(step.statusLine());
        QStringList copying; // what was painted under "Copying:", each state once
        for (const QString &entry : log.painted)
            if (entry.startsWith("Copying: | ") && (copying.isEmpty() || copying.last() != entry))
                copying << entry;
        QCOMPARE(copying, expected);
        QCOMPARE(ends_, 1);
    }

    void iconUsesSixteenColoursAtBothSizes() {
        for (int size : {32, 16}) {
            const QImage image = installerIconImage(size);
            QCOMPARE(image.size(), QSize(size, size));
            int opaque = 0;
            QSet<QRgb> used;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (qAlpha(pixel) == 0)
                        continue;
                    QCOMPARE(qAlpha(pixel), 255);
                    QVERIFY(widgets::classicPalette().contains(pixel | 0xff000000));
                    used.insert(pixel);
                    ++opaque;
                }
            }
            QVERIFY(opaque > size * size / 3);
            QVERIFY(used.size() >= 4);
        }
        QCOMPARE(widgets::classicPalette().size(), 16);
    }

    void everyControlHasADistinctName() {
        Form1 *main = toMainWindow();
        main->Command1->click(); // Browse
        for (QWidget *window :
             std::initializer_list<QWidget *>{installer().form4(), main, installer().form2()}) {
            const QStringList problems = testing::unnamedOrAlike(window);
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        }
    }

    void textsInEachLanguage() {
        // As the design writes them, then in German; the product name stays.
        const auto shown = [this] {
            Form1 *main = toMainWindow();
            main->Command1->click();
            Form4 *welcome = installer().form4();
            return QStringList{welcome->windowTitle(),
                               welcome->Label1->text(),
                               installer().form3()->Label1->text(),
                               main->Frame1->title(),
                               installer().form2()->windowTitle(),
                               child<QLabel>(installer().form2(), "Label2")->text()};
        };
        QCOMPARE(shown(), (QStringList{"Setup", "Welcome to the Dorvik installation program.",
                                       "Dorvik Setup", "Directory:", "Filemeny", "Path:"}));
        QVERIFY(widgets::loadTranslations(QLocale(QLocale::German, QLocale::Germany)));
        installer_ = std::make_unique<Installer>([this] { ++ends_; });
        const QStringList german = shown();
        qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
        platform::setTranslateHook({});
        QCOMPARE(german, (QStringList{"Installation", "Willkommen bei der Installation von Dorvik.",
                                      "Dorvik Installation", "Verzeichnis:", "Verzeichnis wählen",
                                      "Pfad:"}));
    }
};

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("setup");
    TestSetupWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_setup_windows.moc"
