#include "splitter/windows/form1.h"

#include "platform/fs.h"
#include "platform/text.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/operationrunner.h"
#include "platform/widgets/scrollbar.h"
#include "splitter/engine/operations.h"
#include "splitter/windows/form2.h"
#include "splitter/windows/form3.h"
#include "splitter/windows/form4.h"
#include "splitter/windows/preview.h"
#include "splitter/windows/progress.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

namespace dorvik::splitter {

namespace {

QString fromStd(const std::string &text) {
    return QString::fromStdString(text);
}

// The names the progress dialog shows for an operation on `path`.
ProgressNames progressNames(const std::string &path, const QString &target) {
    const std::string name = platform::fileNameOf(path);
    return {fromStd(name), fromStd(platform::withoutLastCharacters(name, 3)), target};
}

} // namespace

Form1::Form1() : Window(windowLook("Form1", 4845, 4440, true)) {
    setWindowTitle(QStringLiteral("Dorvik"));

    // clang-format off
    Label1   = makeLabel(this, "Label1", tr("File to split:"),       {120, 120, 1635, 255});
    Text1    = makeDisplayField(this, "Text1",                        {120, 360, 3495, 300});
    Command1 = makeButton(this, "Command1", tr("Browse"),             {3720, 360, 975, 300});
    Label2   = makeLabel(this, "Label2", tr("Split file to directory:"),
                                                                      {120, 795, 1635, 195});
    Text7    = makeDisplayField(this, "Text7",                        {120, 1020, 3495, 300});
    Command5 = makeButton(this, "Command5", tr("Browse"),             {3720, 1020, 975, 300});
    Label3   = makeLabel(this, "Label3", tr("Split file into"),      {120, 1500, 915, 255});
    Label11  = makeLabel(this, "Label11", "2",                        {1020, 1500, 315, 195});
    Label6   = makeLabel(this, "Label6", tr("pieces:"),              {1280, 1495, 555, 255});
    HScroll1 = place(new widgets::HScrollBar(this), "HScroll1",       {2280, 1495, 2415, 255});
    Label4   = place(new WrapLabel(this), "Label4",                  {120, 1860, 4575, 1635});
    Check2   = makeCheckBox(this, "Check2", tr("Copy splitted files to floppy disks?"),
                                                                      {120, 3600, 1815, 375});
    Check1   = makeCheckBox(this, "Check1", tr("Delete splitted files?"),
                                                                      {120, 3600, 1815, 315});
    Command3 = makeButton(this, "Command3", tr("Split"),              {2640, 3630, 975, 300});
    Command4 = makeButton(this, "Command4", tr("Join"),               {3720, 3630, 975, 300});
    Command6 = makeButton(this, "Command6", tr("About"),              {2640, 4020, 975, 300});
    Command2 = makeButton(this, "Command2", tr("Quit"),               {3720, 4020, 975, 300});
    Text2    = makeField(this, "Text2", "Text2",                      {5160, 600, 675, 315});
    Text4    = makeField(this, "Text4", "Text4",                      {5160, 1380, 735, 315});
    // clang-format on

    Command1->setDefault(true);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Check1->hide();
    Check2->hide();
    // Working storage of the split and the join, never seen.
    for (QLineEdit *storage : {Text2, Text4}) {
        storage->setFocusPolicy(Qt::NoFocus);
        storage->hide();
    }

    HScroll1->setRange(2, 99);
    HScroll1->setValue(2);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(5);
    HScroll1->setFocusPolicy(Qt::StrongFocus);

    // "pieces:" starts inside the count's rectangle: keep the count a word
    // of its own for every value the slider takes.
    QStringList counts;
    for (int count = HScroll1->minimum(); count <= HScroll1->maximum(); ++count)
        counts << QString::number(count);
    fitBetween(Label11, Label3, Label6, counts);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setTextFormat(Qt::PlainText);
    useTooltipColours(Label4);

    // The two fields are read by Tab (read only); the preview is reached
    // right after the slider once it has something to say.
    for (QLineEdit *field : {Text1, Text7})
        field->setFocusPolicy(Qt::TabFocus);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Text7);
    setTabOrder(Text7, Command5);
    setTabOrder(Command5, HScroll1);
    setTabOrder(HScroll1, Label4);
    setTabOrder(Label4, Check2);
    setTabOrder(Check2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command6);
    setTabOrder(Command6, Command2);
    setTabOrder(Command2, Check1);
    Command1->setFocus(); // the default button, not the file field, has the focus at start

    // What a screen reader says; none of it shows. The labels name the
    // controls beside them (and follow the mode); the descriptions tell the
    // two Browse buttons apart.
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text7);
    Label3->setBuddy(HScroll1);
    Label6->setBuddy(HScroll1);
    Command1->setAccessibleDescription(tr("Choose the file to split or the first piece to join"));
    Command5->setAccessibleDescription(tr("Choose the directory the pieces or the file go to"));
    HScroll1->setAccessibleName(tr("Number of pieces"));
    Label4->setAccessibleName(tr("Size preview"));
    showPreview(QString());

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    // Value changes while the thumb is dragged are Scroll; every other change,
    // and the release of the thumb, is Change.
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] {
        if (HScroll1->isSliderDown())
            HScroll1_Scroll();
        else
            HScroll1_Change();
    });
    connect(HScroll1, &QScrollBar::sliderReleased, this, &Form1::HScroll1_Change);

    setAcceptDrops(true);
    Form_Load();
}

Form1::~Form1() {
    delete form2_.data();
    delete form3_.data();
    delete form4_.data();
}

Form2 *Form1::fileChooser() {
    if (form2_ && form2_->isUnloaded())
        delete form2_.data();
    if (!form2_)
        form2_ = new Form2(this);
    return form2_;
}

Form3 *Form1::directoryChooser() {
    if (form3_ && form3_->isUnloaded())
        delete form3_.data();
    if (!form3_)
        form3_ = new Form3(this);
    return form3_;
}

Form2 *Form1::existingFileChooser() const {
    return form2_ && !form2_->isUnloaded() ? form2_.data() : nullptr;
}

Form3 *Form1::existingDirectoryChooser() const {
    return form3_ && !form3_->isUnloaded() ? form3_.data() : nullptr;
}

Form4 *Form1::existingAboutWindow() const {
    return form4_ && !form4_->isUnloaded() ? form4_.data() : nullptr;
}

void Form1::showJoinMode() {
    Label1->setText(tr("File to join:"));
    showPreview(QString());
    Label2->setText(tr("Join files to directory:"));
    Label3->hide();
    Label11->hide();
    Label6->hide();
    HScroll1->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(true);
    Check1->show();
    Check2->hide();
}

void Form1::showSplitMode() {
    HScroll1->setEnabled(true);
    Label1->setText(tr("File to split:"));
    Label2->setText(tr("Split file to directory:"));
    Label3->show();
    Label11->show();
    Label6->show();
    Command3->setEnabled(true);
    Command4->setEnabled(false);
    Label11->setText(QString::number(HScroll1->value()));
    Check1->hide();
    Check2->show();
}

void Form1::Form_Load() {
    setWindowTitle(QStringLiteral("Dorvik"));

    platform::Message notice;
    notice.text = versionNotice().toStdString();
    notice.title = "Dorvik  ";
    notice.icon = platform::Icon::Information;
    notice.buttons = platform::Buttons::Ok;
    widgets::messageBox(nullptr, notice);

    Command3->setEnabled(false);
    Command4->setEnabled(false);
    show();
    Text1->clear();
}

bool Form1::Form_Unload() {
    endProgramOrStopRun();
    return true;
}

void Form1::endProgramOrStopRun() {
    // A split or join in progress is stopped first; the program ends once it
    // has removed what it wrote.
    if (runner_ && runner_->isRunning()) {
        runner_->requestStop();
        endAfterRun_ = true;
        return;
    }
    endProgram();
}

void Form1::endProgram() {
    // No other window's close handler runs: the windows are only hidden here
    // and go when the main window is destroyed.
    for (QWidget *window :
         {static_cast<QWidget *>(form2_.data()), static_cast<QWidget *>(form3_.data()),
          static_cast<QWidget *>(form4_.data())})
        if (window)
            window->hide();
    hide();
    QCoreApplication::exit(0);
}

void Form1::Command1_Click() {
    Form2 *chooser = fileChooser();
    chooser->File1->setPattern(QStringLiteral("*.*  "));
    chooser->File1->Refresh();
    chooser->selectType(0);
    showInstead(chooser, this);
}

void Form1::Command5_Click() {
    Form3 *chooser = directoryChooser();
    chooser->Text1->clear();
    showInstead(chooser, this);
}

void Form1::Command6_Click() {
    if (form4_)
        delete form4_.data();
    form4_ = new Form4(this);
    showInstead(form4_, this);
}

void Form1::Command2_Click() {
    endProgramOrStopRun();
}

void Form1::Command3_Click() {
    engine::SplitRequest request;
    request.sourcePath = Text1->text().toStdString();
    request.targetDirectory = Text7->text().toStdString();
    request.pieces = Label11->text().toInt();
    request.copyToFloppy = Check2->isChecked();

    widgets::OperationRunner runner(this);
    OperationMonitor monitor(runner, progressNames(request.sourcePath, Text7->text()));
    request.busy = runner.busyCallback();
    request.monitor = &monitor;
    engine::SplitResult result;
    runOperation(runner,
                 [&](platform::Prompter &prompter) { result = engine::split(request, prompter); });

    if (result.suffix)
        Text4->setText(fromStd(*result.suffix));
    if (result.targetDirectory)
        Text7->setText(fromStd(*result.targetDirectory));
    if (endAfterRun_)
        endProgram();
}

void Form1::Command4_Click() {
    engine::JoinRequest request;
    request.firstPiecePath = Text1->text().toStdString();
    request.targetDirectory = Text7->text().toStdString();
    request.deletePieces = Check1->isChecked();

    widgets::OperationRunner runner(this);
    OperationMonitor monitor(runner, progressNames(request.firstPiecePath, Text7->text()));
    request.busy = runner.busyCallback();
    request.monitor = &monitor;
    // A finished join shows its emptied fields and disabled Join button
    // behind its last message.
    request.finished = [&](const engine::JoinResult &result) {
        runner.callOnWindowThread([&] { applyJoinResult(result); });
    };
    engine::JoinResult result;
    runOperation(runner,
                 [&](platform::Prompter &prompter) { result = engine::join(request, prompter); });
    applyJoinResult(result);
    if (endAfterRun_)
        endProgram();
}

void Form1::runOperation(widgets::OperationRunner &runner,
                         const std::function<void(platform::Prompter &)> &work) {
    struct Known {
        widgets::OperationRunner *&slot;
        ~Known() { slot = nullptr; }
    } known{runner_};
    runner_ = &runner;
    runner.run(work);
}

void Form1::applyJoinResult(const engine::JoinResult &result) {
    if (result.count)
        Text2->setText(fromStd(*result.count));
    if (result.suffix)
        Text4->setText(fromStd(*result.suffix));
    if (result.targetDirectory)
        Text7->setText(fromStd(*result.targetDirectory));
    if (result.clearFields) {
        Text1->clear();
        Text7->clear();
    }
    if (result.disableJoin)
        Command4->setEnabled(false);
}

namespace {

// The local file a drag brings when it brings exactly one, else empty.
QString draggedFile(const QMimeData *data) {
    const QList<QUrl> urls = data->hasUrls() ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return QString();
    return urls.front().toLocalFile();
}

// The file is only read: never let the source take a drop for a move.
bool acceptAsCopy(QDropEvent *event) {
    if (draggedFile(event->mimeData()).isEmpty())
        return false;
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    return false;
}

} // namespace

void Form1::dragEnterEvent(QDragEnterEvent *event) {
    acceptAsCopy(event);
}

void Form1::dropEvent(QDropEvent *event) {
    if (!acceptAsCopy(event))
        return;
    // Opened once the drag is over: the source waits for the drop to end,
    // and opening may show a message.
    const QString path = draggedFile(event->mimeData());
    QMetaObject::invokeMethod(
        this, [this, path] { openFile(*this, path); }, Qt::QueuedConnection);
}

void Form1::HScroll1_Change() {
    updatePreview();
}

void Form1::HScroll1_Scroll() {
    updatePreview();
}

void Form1::updatePreview() {
    Label11->setText(QString::number(HScroll1->value()));
    const QString path = Text1->text();
    if (path.isEmpty())
        return;
    showPreview(QString());
    platform::Status status;
    const auto length = platform::fileLength(path.toStdString(), &status);
    if (!length) {
        showPreview(unmeasurableSentence(path, fromStd(status.message())));
        return;
    }
    showPreview(previewSentence(path, *length, Label11->text().toInt(), PieceSize::Exact,
                                QLocale().decimalPoint()));
}

void Form1::showPreview(const QString &sentence) {
    Label4->setText(sentence);
    // Read with the slider as it moves, and reached by Tab while it says
    // something.
    HScroll1->setAccessibleDescription(sentence);
    Label4->setAccessibleDescription(sentence);
    Label4->setFocusPolicy(sentence.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
}

} // namespace dorvik::splitter
