// Split and join as long operations: on a worker thread behind the main
// window, with their progress dialog and its Cancel.
#include "platform/copy.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/operationrunner.h"
#include "platform/widgets/progressdialog.h"
#include "splitter/engine/operations.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/progress.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace dorvik;
using namespace dorvik::splitter;
using platform::Message;
using testing::patternBytes;
using testing::writeFile;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

// What the user sees of the main window: fields, presentation, buttons.
QStringList windowState(Form1 *f) {
    const auto flag = [](bool b) { return b ? QString("1") : QString("0"); };
    return {f->Text1->text(),
            f->Text7->text(),
            f->Label1->text(),
            f->Label2->text(),
            f->Label11->text(),
            f->Label4->text(),
            QString::number(f->HScroll1->value()),
            flag(f->HScroll1->isEnabled()),
            flag(f->Command3->isEnabled()),
            flag(f->Command4->isEnabled()),
            flag(f->Check1->isVisible()) + flag(f->Check1->isChecked()),
            flag(f->Check2->isVisible()) + flag(f->Check2->isChecked()),
            flag(f->isVisible())};
}

widgets::ProgressDialog *progressDialog(QWidget *main) {
    return main->findChild<widgets::ProgressDialog *>(QStringLiteral("Progress"));
}

QString lineOf(widgets::ProgressDialog *dialog, const char *name) {
    return dialog->findChild<QLabel *>(QString::fromLatin1(name))->text();
}

enum class StopBy { CancelButton, Escape, CloseBox };

void askToStop(widgets::ProgressDialog *dialog, StopBy how) {
    switch (how) {
    case StopBy::CancelButton:
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Cancel")),
                          Qt::LeftButton);
        break;
    case StopBy::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case StopBy::CloseBox:
        dialog->close();
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(StopBy)

class OperationsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messagesThroughTheWorkerAsInTheDirectCall();
    void progressReachesTheTotalAndNeverGoesBack();
    void cancelLeavesEveryFileAndTheWindowAsBefore_data();
    void cancelLeavesEveryFileAndTheWindowAsBefore();
    void windowRepaintsButTakesNoInputWhileItWorks();
    void closingTheMainWindowStopsTheRunThenEnds();
    void dialogWithoutCancelIgnoresEscapeAndCloseBox();
    void rateLines_data();
    void rateLines();

private:
    // Runs `click` while `watch` looks at the progress dialog every few ms.
    void whileRunning(const std::function<void()> &click,
                      const std::function<void(widgets::ProgressDialog *)> &watch);
    // Source data.bin (5 pieces of 40000 bytes) in src, an older piece and an
    // unrelated file in out; the window set up to split it into out.
    void prepareSplit();
    // The set of data.bin in out (split for real), an older data.bin in back;
    // the window set up to join it into back.
    void prepareJoin();

    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<testing::TempDir> dir_;
    QString root_;
};

void OperationsTest::init() {
    dir_ = std::make_unique<testing::TempDir>();
    root_ = QString::fromStdString(dir_->path());
    prompter_ = std::make_unique<testing::RecordingPrompter>();
    widgets::installPrompter(prompter_.get());
    widgets::OperationRunner::setShowDelay(std::chrono::milliseconds(0));
    form_ = std::make_unique<Form1>();
    prompter_->messages.clear(); // the start-up notice
}

void OperationsTest::cleanup() {
    platform::setCopyRoundDelay(std::chrono::microseconds(0));
    widgets::OperationRunner::setShowDelay(std::chrono::milliseconds(500));
    form_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    widgets::installPrompter(nullptr);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    prompter_.reset();
    dir_.reset();
}

void OperationsTest::whileRunning(const std::function<void()> &click,
                                  const std::function<void(widgets::ProgressDialog *)> &watch) {
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (widgets::ProgressDialog *dialog = progressDialog(form_.get()))
            watch(dialog);
    });
    poll.start();
    click();
    poll.stop();
}

void OperationsTest::prepareSplit() {
    QVERIFY(QDir(root_).mkpath("src"));
    QVERIFY(QDir(root_).mkpath("out"));
    writeFile(*dir_ / "src/data.bin", patternBytes(200003, 7));
    writeFile(*dir_ / "out/data.001", "an older piece of another set");
    writeFile(*dir_ / "out/notes.txt", "unrelated");
    form_->Text1->setText(root_ + "/src/data.bin");
    form_->Text7->setText(root_ + "/out");
    form_->showSplitMode();
    form_->HScroll1->setValue(5);
}

void OperationsTest::prepareJoin() {
    QVERIFY(QDir(root_).mkpath("out"));
    QVERIFY(QDir(root_).mkpath("back"));
    writeFile(*dir_ / "out/data.bin", patternBytes(200003, 8));
    engine::SplitRequest split;
    split.sourcePath = *dir_ / "out/data.bin";
    split.targetDirectory = *dir_ / "out";
    split.pieces = 5;
    testing::RecordingPrompter quiet;
    QCOMPARE(engine::split(split, quiet).outcome, engine::Outcome::Done);
    writeFile(*dir_ / "out/data.bin", "an older file of the joined name");
    writeFile(*dir_ / "back/data.bin", "an older copy in the target");
    form_->Text1->setText(root_ + "/out/data.000");
    form_->Text7->setText(root_ + "/back");
    form_->showJoinMode();
}

// The message boxes of split (with and without the floppy loop) and join come
// in the same order, with the same texts and answers, whether the engine runs
// on this thread or behind an OperationRunner; each is shown on this thread,
// without the hourglass.
void OperationsTest::messagesThroughTheWorkerAsInTheDirectCall() {
    enum Kind { Split, SplitToFloppies, JoinDeletingIntoAnotherDirectory, JoinRefused };
    for (const Kind kind :
         {Split, SplitToFloppies, JoinDeletingIntoAnotherDirectory, JoinRefused}) {
        std::vector<std::vector<Message>> runs;
        for (const bool threaded : {false, true}) {
            testing::TempDir dir;
            const std::string d = dir.path();
            writeFile(dir / "f.bin", patternBytes(100000, 3));
            QVERIFY(QDir().mkpath(QString::fromStdString(dir / "floppy")));
            QVERIFY(QDir().mkpath(QString::fromStdString(dir / "back")));

            testing::RecordingPrompter recorder;
            bool allOnThisThread = true;
            bool hourglassAtAMessage = false;
            recorder.onMessage = [&](const Message &m) {
                allOnThisThread = allOnThisThread && QThread::currentThread() == qApp->thread();
                hourglassAtAMessage = hourglassAtAMessage || QApplication::overrideCursor();
                if (m.text.rfind("Insert disk #", 0) == 0) // a fresh disk
                    for (const std::string &n : testing::listDirectory(dir / "floppy"))
                        QFile::remove(QString::fromStdString(dir / ("floppy/" + n)));
            };
            QWidget window;
            widgets::OperationRunner runner(&window);
            std::function<void(platform::Prompter &)> work;
            engine::SplitRequest split;
            split.sourcePath = dir / "f.bin";
            split.targetDirectory = d;
            split.pieces = 3;
            split.copyToFloppy = kind == SplitToFloppies;
            split.floppyDirectory = dir / "floppy";
            engine::JoinRequest join;
            join.firstPiecePath = dir / (kind == JoinRefused ? "f.bin" : "f.000");
            join.targetDirectory = dir / "back";
            join.deletePieces = true;
            if (kind == Split || kind == SplitToFloppies) {
                if (threaded)
                    split.busy = runner.busyCallback();
                work = [&](platform::Prompter &p) { engine::split(split, p); };
            } else {
                testing::RecordingPrompter quiet;
                QCOMPARE(engine::split(split, quiet).outcome, engine::Outcome::Done);
                if (threaded)
                    join.busy = runner.busyCallback();
                work = [&](platform::Prompter &p) { engine::join(join, p); };
            }
            if (threaded) {
                widgets::installPrompter(&recorder);
                runner.run(work);
                widgets::installPrompter(prompter_.get());
            } else {
                work(recorder);
            }
            QVERIFY(allOnThisThread);
            QVERIFY(!hourglassAtAMessage);
            for (Message &m : recorder.messages)
                for (std::size_t at; (at = m.text.find(d)) != std::string::npos;)
                    m.text.replace(at, d.size(), "<dir>");
            runs.push_back(recorder.messages);
        }
        QVERIFY(!runs[0].empty());
        QCOMPARE(runs[1], runs[0]);
        if (kind == SplitToFloppies)
            QCOMPARE(runs[0].size(), std::size_t(4));
    }
}

void OperationsTest::progressReachesTheTotalAndNeverGoesBack() {
    platform::setCopyRoundDelay(std::chrono::milliseconds(20));
    for (const bool joining : {false, true}) {
        if (joining)
            prepareJoin();
        else
            prepareSplit();
        struct Shown {
            QString activity, detail;
            int bar;
        };
        QList<Shown> shown;
        QPointer<widgets::ProgressDialog> watched;
        whileRunning(
            [&] { (joining ? form_->Command4 : form_->Command3)->click(); },
            [&](widgets::ProgressDialog *dialog) {
                if (watched == dialog)
                    return;
                watched = dialog;
                auto *b = dialog->findChild<QProgressBar *>(QStringLiteral("Bar"));
                connect(b, &QProgressBar::valueChanged, this, [&, dialog](int v) {
                    shown << Shown{lineOf(dialog, "Activity"), lineOf(dialog, "Detail"), v};
                });
            });
        QStringList activities;
        for (int i = 0; i < shown.size(); ++i) {
            if (activities.isEmpty() || activities.last() != shown[i].activity) {
                // The activity before has reached its total.
                QVERIFY(i == 0 || shown[i - 1].bar == widgets::ProgressDialog::kBarSteps);
                activities << shown[i].activity;
                continue;
            }
            QVERIFY2(shown[i].bar >= shown[i - 1].bar, qPrintable(shown[i].detail));
            QVERIFY2(shown[i].detail >= shown[i - 1].detail, qPrintable(shown[i].detail));
        }
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.last().bar, widgets::ProgressDialog::kBarSteps);
        if (joining) {
            // The copy into the target directory may be over between two
            // looks at it; the bar is full at its end either way.
            const QStringList expected{"Joining data.000",
                                       "Copying data.bin to " + root_ + "/back"};
            QCOMPARE(activities, expected.mid(0, activities.size()));
        } else {
            QCOMPARE(activities, QStringList{"Splitting data.bin into 5 pieces"});
            QCOMPARE(shown.last().detail, QString("Piece 5 of 5"));
        }
        QCOMPARE(prompter_->messages.size(), std::size_t(1));
        QVERIFY(prompter_->messages[0].text.find(joining ? "successfully joined"
                                                         : "successfully splitted") !=
                std::string::npos);
        prompter_->messages.clear();
        QVERIFY(QDir(root_).removeRecursively());
        QVERIFY(QDir().mkpath(root_));
    }
}

void OperationsTest::cancelLeavesEveryFileAndTheWindowAsBefore_data() {
    QTest::addColumn<bool>("joining");
    QTest::addColumn<int>("piece");
    QTest::addColumn<StopBy>("how");
    // The engine's own test stops both operations at the first, a middle and
    // the last piece;
    // here each way to stop, through the worker, at the ends and between.
    QTest::newRow("split, first piece, Cancel") << false << 1 << StopBy::CancelButton;
    QTest::newRow("join, middle piece, Escape") << true << 3 << StopBy::Escape;
    QTest::newRow("split, last piece, close box") << false << 5 << StopBy::CloseBox;
    QTest::newRow("join, last piece, Cancel") << true << 5 << StopBy::CancelButton;
}

void OperationsTest::cancelLeavesEveryFileAndTheWindowAsBefore() {
    QFETCH(bool, joining);
    QFETCH(int, piece);
    QFETCH(StopBy, how);
    if (joining)
        prepareJoin();
    else
        prepareSplit();
    const testing::Snapshot files = testing::snapshot(dir_->path());
    const QStringList window = windowState(form_.get());
    QPushButton *button = joining ? form_->Command4 : form_->Command3;

    // Each round of the copy takes long enough for the dialog to show it.
    platform::setCopyRoundDelay(std::chrono::milliseconds(250));
    const QString wanted = QString("Piece %1 of 5").arg(piece);
    QString stoppedAt;
    whileRunning([&] { button->click(); },
                 [&](widgets::ProgressDialog *dialog) {
                     if (stoppedAt.isEmpty() && dialog->isVisible() &&
                         lineOf(dialog, "Detail") == wanted) {
                         stoppedAt = wanted;
                         askToStop(dialog, how);
                     }
                 });
    QCOMPARE(stoppedAt, wanted);
    QCOMPARE(prompter_->messages.size(), std::size_t(0));
    QVERIFY(testing::snapshot(dir_->path()) == files);
    QCOMPARE(windowState(form_.get()), window);
    QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);

    // The same button works again, to the end.
    platform::setCopyRoundDelay(std::chrono::microseconds(0));
    button->click();
    QCOMPARE(prompter_->messages.size(), std::size_t(1));
    QCOMPARE(prompter_->messages[0].title, std::optional<std::string>("Dorvik "));
}

void OperationsTest::windowRepaintsButTakesNoInputWhileItWorks() {
    prepareSplit();
    platform::setCopyRoundDelay(std::chrono::milliseconds(150));
    // No dialog comes up (it would take the input itself): the window alone
    // must refuse it.
    widgets::OperationRunner::setShowDelay(std::chrono::seconds(60));
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    form_->installEventFilter(&counter);
    int paintsAsked = -1, paintsLater = -1, pieceAsked = 0;
    bool hourglass = false, chooserOpened = false;
    whileRunning([&] { form_->Command3->click(); },
                 [&](widgets::ProgressDialog *dialog) {
                     // The dialog is brought up to date a few times a second,
                     // so a busy machine may skip a piece: go by the number.
                     const QString detail = lineOf(dialog, "Detail");
                     const int piece =
                         detail.startsWith("Piece ") ? detail.section(' ', 1, 1).toInt() : 0;
                     if (paintsAsked < 0 && piece >= 2 && piece < 5) {
                         pieceAsked = piece;
                         paintsAsked = counter.paints;
                         form_->update();
                         // A click on Browse and Enter, which would open the
                         // file chooser, go nowhere.
                         QTest::mouseClick(form_->Command1, Qt::LeftButton);
                         QTest::keyClick(form_.get(), Qt::Key_Return);
                         chooserOpened = form_->existingFileChooser() != nullptr;
                         hourglass = form_->cursor().shape() == Qt::WaitCursor ||
                                     (QApplication::overrideCursor() &&
                                      QApplication::overrideCursor()->shape() == Qt::WaitCursor);
                     }
                     if (paintsAsked >= 0 && paintsLater < 0 && piece > pieceAsked)
                         paintsLater = counter.paints;
                 });
    form_->removeEventFilter(&counter);
    QVERIFY(paintsAsked >= 0);
    QVERIFY(paintsLater > paintsAsked);
    QVERIFY(hourglass);
    QVERIFY(!chooserOpened);
    QCOMPARE(prompter_->messages.size(), std::size_t(1));
    QVERIFY(form_->existingFileChooser() == nullptr);
}

void OperationsTest::closingTheMainWindowStopsTheRunThenEnds() {
    prepareSplit();
    const testing::Snapshot files = testing::snapshot(dir_->path());
    platform::setCopyRoundDelay(std::chrono::milliseconds(200));
    QTimer guard; // ends a program that failed to end
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    bool closed = false;
    QTimer::singleShot(0, form_.get(), [&] {
        whileRunning([&] { form_->Command3->click(); },
                     [&](widgets::ProgressDialog *dialog) {
                         if (!closed && lineOf(dialog, "Detail").startsWith("Piece ")) {
                             closed = true;
                             form_->close(); // before the dialog is up, or by the window manager
                         }
                     });
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(closed);
    QVERIFY(!form_->isVisible());
    QCOMPARE(prompter_->messages.size(), std::size_t(0));
    QVERIFY(testing::snapshot(dir_->path()) == files);
}

void OperationsTest::dialogWithoutCancelIgnoresEscapeAndCloseBox() {
    QWidget window;
    widgets::ProgressDialog dialog(&window);
    QSignalSpy stops(&dialog, &widgets::ProgressDialog::stopRequested);
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("Cancel"));
    dialog.setCancellable(false);
    QVERIFY(!cancel->isEnabled());
    dialog.show();
    for (const StopBy how : {StopBy::Escape, StopBy::CloseBox})
        askToStop(&dialog, how);
    QCOMPARE(stops.count(), 0);
    QVERIFY(dialog.isVisible());

    dialog.setCancellable(true);
    QVERIFY(cancel->isEnabled());
    askToStop(&dialog, StopBy::CloseBox);
    askToStop(&dialog, StopBy::Escape);
    QCOMPARE(stops.count(), 1); // once
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.stopAsked());
    QVERIFY(!cancel->isEnabled());
}

void OperationsTest::rateLines_data() {
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("left");
    QTest::addColumn<QString>("line");
    QTest::newRow("MB/s, minutes and seconds")
        << 45.2e6 << 80.0 << "45.2 MB/s, about 1 min 20 s left";
    QTest::newRow("whole minutes") << 120e6 << 120.0 << "120 MB/s, about 2 min left";
    QTest::newRow("a fraction of a second") << 1.5e9 << 0.2 << "1.5 GB/s, about 1 s left";
    QTest::newRow("seconds round up") << 512e3 << 9.1 << "512 kB/s, about 10 s left";
    QTest::newRow("hours") << 900.0 << 3.5 * 3600 << "900 bytes/s, about 3 h 30 min left";
}

void OperationsTest::rateLines() {
    QFETCH(double, rate);
    QFETCH(double, left);
    QFETCH(QString, line);
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    const QString made = rateLine(rate, left);
    QLocale::setDefault(before);
    QCOMPARE(made, line);
}

QTEST_MAIN(OperationsTest)
#include "test_operations.moc"
