// Split and join as long operations: on a worker thread behind the main
// window, with their progress dialog and its Cancel.
#include "platform/copy.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/operationrunner.h"
#include "platform/widgets/progressdialog.h"
#include "splitter/engine/operations.h"
#include "splitter/windows/form1.h"
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
using widgets::ProgressDialog;

// The tests run without a display.
static const bool offscreen = (qputenv("QT_QPA_PLATFORM", "offscreen"), true);

namespace {

// What the user sees of the main window: fields, presentation, buttons.
QString windowState(Form1 *f) {
    QString state = QStringList{f->Text1->text(),  f->Text7->text(),   f->Label1->text(),
                                f->Label2->text(), f->Label11->text(), f->Label4->text()}
                        .join('|');
    for (const bool b : {f->HScroll1->isEnabled(), f->Command3->isEnabled(),
                         f->Command4->isEnabled(), f->Check1->isVisible(), f->Check1->isChecked(),
                         f->Check2->isVisible(), f->Check2->isChecked(), f->isVisible()})
        state += b ? '1' : '0';
    return state;
}

QString lineOf(ProgressDialog *dialog, const char *name) {
    return dialog->findChild<QLabel *>(QString::fromLatin1(name))->text();
}

// The piece the dialog shows ("Piece k of N"), 0 for none.
int pieceOf(ProgressDialog *dialog) {
    const QString detail = lineOf(dialog, "Detail");
    return detail.startsWith("Piece ") ? detail.section(' ', 1, 1).toInt() : 0;
}

enum class StopBy { CancelButton, Escape, CloseBox };

void askToStop(ProgressDialog *dialog, StopBy how) {
    if (how == StopBy::CancelButton)
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Cancel")),
                          Qt::LeftButton);
    else if (how == StopBy::Escape)
        QTest::keyClick(dialog, Qt::Key_Escape);
    else
        dialog->close();
}

} // namespace

Q_DECLARE_METATYPE(StopBy)

class OperationsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<testing::TempDir>();
        root_ = QString::fromStdString(dir_->path());
        prompter_ = std::make_unique<testing::RecordingPrompter>();
        widgets::installPrompter(prompter_.get());
        widgets::OperationRunner::setShowDelay(std::chrono::milliseconds(0));
        form_ = std::make_unique<Form1>();
        prompter_->messages.clear(); // the start-up notice
    }

    void cleanup() {
        platform::setCopyRoundDelay(std::chrono::microseconds(0));
        widgets::OperationRunner::setShowDelay(std::chrono::milliseconds(500));
        form_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        widgets::installPrompter(nullptr);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        prompter_.reset();
        dir_.reset();
    }

    void messagesThroughTheWorkerAsInTheDirectCall_data() {
        QTest::addColumn<bool>("joining");
        QTest::addColumn<QString>("first"); // the file the operation is given
        QTest::newRow("split to floppies") << false << "f.bin";
        QTest::newRow("join, deleting, elsewhere") << true << "f.000";
        QTest::newRow("join refused") << true << "f.bin";
    }

    // The message boxes come in the same order, with the same texts and answers,
    // whether the engine runs on this thread or behind an OperationRunner; each
    // is shown on this thread, without the hourglass.
    void messagesThroughTheWorkerAsInTheDirectCall() {
        QFETCH(bool, joining);
        QFETCH(QString, first);
        std::vector<std::vector<Message>> runs;
        for (const bool threaded : {false, true}) {
            testing::TempDir dir;
            const std::string d = dir.path();
            writeFile(dir / "f.bin", patternBytes(100000, 3));
            QVERIFY(QDir().mkpath(QString::fromStdString(dir / "floppy")));
            QVERIFY(QDir().mkpath(QString::fromStdString(dir / "back")));
            testing::RecordingPrompter recorder;
            bool allOnThisThread = true, hourglassAtAMessage = false;
            recorder.onMessage = [&](const Message &m) {
                allOnThisThread = allOnThisThread && QThread::currentThread() == qApp->thread();
                hourglassAtAMessage = hourglassAtAMessage || QApplication::overrideCursor();
                if (m.text.rfind("Insert disk #", 0) == 0) // a fresh disk
                    for (const std::string &n : testing::listDirectory(dir / "floppy"))
                        QFile::remove(QString::fromStdString(dir / ("floppy/" + n)));
            };
            QWidget window;
            widgets::OperationRunner runner(&window);
            engine::SplitRequest split;
            split.sourcePath = dir / "f.bin";
            split.targetDirectory = d;
            split.pieces = 3;
            split.floppyDirectory = dir / "floppy";
            engine::JoinRequest join;
            join.firstPiecePath = dir / first.toStdString();
            join.targetDirectory = dir / "back";
            join.deletePieces = true;
            if (joining) {
                testing::RecordingPrompter quiet;
                QCOMPARE(engine::split(split, quiet).outcome, engine::Outcome::Done);
            }
            split.copyToFloppy = !joining;
            (joining ? join.busy : split.busy) =
                threaded ? runner.busyCallback() : std::function<void(bool)>();
            const auto work = [&](platform::Prompter &p) {
                if (joining)
                    engine::join(join, p);
                else
                    engine::split(split, p);
            };
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
        if (!joining)
            QCOMPARE(runs[0].size(), std::size_t(4));
    }

    void cancelLeavesEveryFileAndTheWindowAsBefore_data() {
        QTest::addColumn<bool>("joining");
        QTest::addColumn<int>("piece"); // stop once the dialog shows this piece or a later one
        QTest::addColumn<StopBy>("how");
        QTest::newRow("split, first piece, Cancel") << false << 1 << StopBy::CancelButton;
        QTest::newRow("join, middle piece, Escape") << true << 3 << StopBy::Escape;
        QTest::newRow("split, last piece, close box") << false << 5 << StopBy::CloseBox;
        QTest::newRow("join, last piece, Cancel") << true << 5 << StopBy::CancelButton;
    }

    void cancelLeavesEveryFileAndTheWindowAsBefore() {
        QFETCH(bool, joining);
        QFETCH(int, piece);
        QFETCH(StopBy, how);
        prepare(joining);
        const testing::Snapshot files = testing::snapshot(dir_->path());
        const QString window = windowState(form_.get());
        QPushButton *button = joining ? form_->Command4 : form_->Command3;

        // Each round of the copy takes long enough for the dialog to show it.
        platform::setCopyRoundDelay(std::chrono::milliseconds(250));
        int stoppedAt = 0;
        whileRunning([&] { button->click(); },
                     [&](ProgressDialog *dialog) {
                         if (!stoppedAt && dialog->isVisible() && pieceOf(dialog) >= piece) {
                             stoppedAt = pieceOf(dialog);
                             askToStop(dialog, how);
                         }
                     });
        QVERIFY(stoppedAt >= piece);
        QCOMPARE(prompter_->messages.size(), std::size_t(0));
        QVERIFY(testing::snapshot(dir_->path()) == files);
        QCOMPARE(windowState(form_.get()), window);
        QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);

        // The same button works again, to the end, and its progress reaches the
        // total of each activity without ever going back.
        platform::setCopyRoundDelay(std::chrono::milliseconds(20));
        struct Shown {
            QString activity, detail;
            int bar;
        };
        QList<Shown> shown;
        QPointer<ProgressDialog> watched;
        whileRunning(
            [&] { button->click(); },
            [&](ProgressDialog *dialog) {
                if (watched == dialog)
                    return;
                watched = dialog;
                auto *bar = dialog->findChild<QProgressBar *>(QStringLiteral("Bar"));
                connect(bar, &QProgressBar::valueChanged, this, [&, dialog](int v) {
                    shown << Shown{lineOf(dialog, "Activity"), lineOf(dialog, "Detail"), v};
                });
            });
        QCOMPARE(prompter_->messages.size(), std::size_t(1));
        QCOMPARE(prompter_->messages[0].title, std::optional<std::string>("Dorvik "));
        QVERIFY(prompter_->messages[0].text.find(joining ? "successfully joined"
                                                         : "successfully splitted") !=
                std::string::npos);
        QVERIFY(!shown.isEmpty());
        QStringList activities;
        for (int i = 0; i < shown.size(); ++i) {
            if (activities.isEmpty() || activities.last() != shown[i].activity) {
                // The activity before has reached its total.
                QVERIFY(i == 0 || shown[i - 1].bar == ProgressDialog::kBarSteps);
                activities << shown[i].activity;
                continue;
            }
            QVERIFY2(shown[i].bar >= shown[i - 1].bar, qPrintable(shown[i].detail));
            QVERIFY2(shown[i].detail >= shown[i - 1].detail, qPrintable(shown[i].detail));
        }
        QCOMPARE(shown.last().bar, ProgressDialog::kBarSteps);
        // The join's copy into the target directory may be over between two looks
        // at it; the bar is full at its end either way.
        const QStringList expected =
            joining ? QStringList{"Joining data.000", "Copying data.bin to " + root_ + "/back"}
                    : QStringList{"Splitting data.bin into 5 pieces"};
        QCOMPARE(activities, expected.mid(0, activities.size()));
        if (!joining)
            QCOMPARE(shown.last().detail, QString("Piece 5 of 5"));
    }

    // While a split runs without its dialog, the window repaints, refuses
    // input and shows the hourglass; closing it stops the run, leaves the
    // files as they were and ends the program.
    void windowRepaintsTakesNoInputAndClosingItStopsTheRun() {
        prepare(false);
        const testing::Snapshot files = testing::snapshot(dir_->path());
        platform::setCopyRoundDelay(std::chrono::milliseconds(150));
        widgets::OperationRunner::setShowDelay(std::chrono::seconds(60));
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *event) override {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        form_->installEventFilter(&counter);
        // Ends a program that failed to end.
        QTimer::singleShot(20000, form_.get(), [] { QCoreApplication::exit(1); });
        int paintsAsked = -1;
        bool hourglass = false, closed = false;
        QTimer::singleShot(0, form_.get(), [&] {
            whileRunning([&] { form_->Command3->click(); },
                         [&](ProgressDialog *dialog) {
                             if (paintsAsked < 0 && pieceOf(dialog) >= 1) {
                                 paintsAsked = counter.paints;
                                 form_->update();
                                 // Browse and Enter, which would open the file chooser.
                                 QTest::mouseClick(form_->Command1, Qt::LeftButton);
                                 QTest::keyClick(form_.get(), Qt::Key_Return);
                                 const QCursor *over = QApplication::overrideCursor();
                                 hourglass = form_->cursor().shape() == Qt::WaitCursor ||
                                             (over && over->shape() == Qt::WaitCursor);
                             } else if (paintsAsked >= 0 && !closed &&
                                        counter.paints > paintsAsked) {
                                 closed = true;
                                 form_->close(); // by the window manager
                             }
                         });
        });
        QCOMPARE(QApplication::exec(), 0);
        form_->removeEventFilter(&counter);
        QVERIFY(closed); // after a repaint
        QVERIFY(hourglass);
        QVERIFY(form_->existingFileChooser() == nullptr);
        QVERIFY(!form_->isVisible());
        QCOMPARE(prompter_->messages.size(), std::size_t(0));
        QVERIFY(testing::snapshot(dir_->path()) == files);
    }

    void dialogWithoutCancelIgnoresEscapeAndCloseBox() {
        QWidget window;
        ProgressDialog dialog(&window);
        QSignalSpy stops(&dialog, &ProgressDialog::stopRequested);
        auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("Cancel"));
        dialog.setCancellable(false);
        QVERIFY(!cancel->isEnabled());
        dialog.show();
        for (const StopBy how : {StopBy::Escape, StopBy::CloseBox, StopBy::CancelButton})
            askToStop(&dialog, how);
        QCOMPARE(stops.count(), 0);
        QVERIFY(dialog.isVisible());

        dialog.setCancellable(true);
        QVERIFY(cancel->isEnabled());
        for (const StopBy how : {StopBy::CloseBox, StopBy::Escape, StopBy::CancelButton})
            askToStop(&dialog, how);
        QCOMPARE(stops.count(), 1); // once
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.stopAsked());
        QVERIFY(!cancel->isEnabled());
    }

    void rateLines() {
        const QLocale before;
        QLocale::setDefault(QLocale::c());
        const QStringList made{rateLine(45.2e6, 80), rateLine(1.5e9, 0.2),
                               rateLine(900, 3.5 * 3600)};
        QLocale::setDefault(before);
        QCOMPARE(made, (QStringList{"45.2 MB/s, about 1 min 20 s left",
                                    "1.5 GB/s, about 1 s left", // a fraction rounds up
                                    "900 bytes/s, about 3 h 30 min left"}));
    }

private:
    // Runs `click` while `watch` looks at the progress dialog every few ms.
    void whileRunning(const std::function<void()> &click,
                      const std::function<void(ProgressDialog *)> &watch) {
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *dialog = form_->findChild<ProgressDialog *>(QStringLiteral("Progress")))
                watch(dialog);
        });
        poll.start();
        click();
        poll.stop();
    }

    // Joining: the set of data.bin (5 pieces) in out, older files of its
    // name in out and back, the window set to join it into back. Splitting:
    // src/data.bin, an older piece and an unrelated file in out, the window
    // set to split it into 5 pieces in out.
    void prepare(bool joining) {
        for (const char *sub : {"src", "out", "back"})
            QVERIFY(QDir(root_).mkpath(sub));
        if (joining) {
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
            return;
        }
        writeFile(*dir_ / "src/data.bin", patternBytes(200003, 7));
        writeFile(*dir_ / "out/data.001", "an older piece of another set");
        writeFile(*dir_ / "out/notes.txt", "unrelated");
        form_->Text1->setText(root_ + "/src/data.bin");
        form_->Text7->setText(root_ + "/out");
        form_->showSplitMode();
        form_->HScroll1->setValue(5);
    }

    std::unique_ptr<testing::RecordingPrompter> prompter_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<testing::TempDir> dir_;
    QString root_;
};

QTEST_MAIN(OperationsTest)
#include "test_operations.moc"
