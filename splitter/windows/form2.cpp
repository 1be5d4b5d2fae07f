#include "splitter/windows/form2.h"

#include "platform/fs.h"
#include "platform/widgets/messagebox.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/preview.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>

namespace dorvik::splitter {

bool isJoinName(const QString &name) {
    const QList<uint> characters = name.toUcs4();
    const qsizetype n = characters.size();
    if (n < 3)
        return true;
    return characters[n - 1] == U'0' || characters[n - 3] == U'0';
}

void showChosenFile(Form1 &main, const ChosenFile &file) {
    main.Text1->setText(file.path);

    if (const std::optional<int> pieces = engine::suggestedPieces(file.length))
        main.HScroll1->setValue(*pieces);

    main.showPreview(previewSentence(file.path, file.length, main.Label11->text().toInt(),
                                     PieceSize::WholeBytes, QLocale().decimalPoint()));

    if (isJoinName(file.name))
        main.showJoinMode();
    else
        main.showSplitMode();

    main.Text7->setText(file.directory);
}

bool openFile(Form1 &main, const QString &path) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString full = info.filePath();
    const std::string native = full.toStdString();
    QString problem;
    std::optional<std::int64_t> length;
    if (!platform::exists(native)) {
        problem = Form2::tr("This file does not exist.");
    } else if (!platform::isRegularFile(native)) {
        problem = Form2::tr("This is not a file.");
    } else {
        // Opened once, as the split or the join will open it.
        platform::File file;
        if (file.open(native).ok())
            length = file.length();
        if (!length)
            problem = Form2::tr("This file cannot be read.");
    }
    if (!problem.isEmpty()) {
        platform::Message message;
        message.text = native + "\n" + problem.toStdString();
        message.title = "Dorvik";
        message.icon = platform::Icon::Information;
        widgets::messageBox(&main, message);
        return false;
    }
    showChosenFile(main, {full, info.fileName(), info.absolutePath(), *length});
    // Browse then opens where the file is (or, should the directory not
    // list, where it was).
    main.fileChooser()->Dir1->setPath(info.absolutePath());
    return true;
}

Form2::Form2(Form1 *main) : Window(windowLook("Form2", 4815, 4470, false)), main_(main) {
    setWindowTitle(tr("Filemeny"));
    setAccessibleName(tr("Choose a file"));
    setAttribute(Qt::WA_DeleteOnClose);

    // clang-format off
    Drive1   = place(new widgets::DriveListBox(this), "Drive1", {1920, 570, 1635, 315});
    Dir1     = place(new widgets::DirListBox(this), "Dir1",     {1920, 1290, 1635, 3015});
    File1    = place(new widgets::FileListBox(this), "File1",   {120, 1290, 1635, 3015});
    Combo1   = place(new QComboBox(this), "Combo1",             {120, 570, 1635, 315});
    Command1 = makeButton(this, "Command1", tr("OK"),           {3720, 570, 975, 300});
    Command2 = makeButton(this, "Command2", tr("Cancel"),       {3720, 1290, 975, 300});
    Label1   = makeLabel(this, "Label1", "/",                   {120, 80, 4455, 255});
    Label2   = makeLabel(this, "Label2", tr("List files:"),     {120, 345, 1335, 255});
    Label3   = makeLabel(this, "Label3", tr("Drive:"),          {1920, 345, 1575, 255});
    Label4   = makeLabel(this, "Label4", tr("File Name:"),      {120, 1065, 1575, 255});
    Label5   = makeLabel(this, "Label5", tr("Directorys:"),     {1920, 1065, 1575, 255});
    // clang-format on

    for (QWidget *list : {static_cast<QWidget *>(Drive1), static_cast<QWidget *>(Dir1),
                          static_cast<QWidget *>(File1), static_cast<QWidget *>(Combo1)})
        useTooltipColours(list);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Combo1);
    setTabOrder(Combo1, Command1);
    setTabOrder(Command1, Command2);

    // For a screen reader: the labels name the drop-down lists; the two
    // lists, which do not take their names from a label, get their own.
    Label2->setBuddy(Combo1);
    Label3->setBuddy(Drive1);
    Label4->setBuddy(File1);
    Label5->setBuddy(Dir1);
    File1->setAccessibleName(tr("Files"));
    Dir1->setAccessibleName(tr("Directories"));
    Command1->setAccessibleDescription(tr("Use the selected file"));

    connect(Drive1, &widgets::DriveListBox::Change, this, &Form2::Drive1_Change);
    connect(Dir1, &widgets::DirListBox::Change, this, &Form2::Dir1_Change);
    connect(File1, &widgets::FileListBox::Click, this, &Form2::File1_Click);
    connect(File1, &widgets::FileListBox::DblClick, this, &Form2::File1_DblClick);
    connect(Combo1, &QComboBox::activated, this, &Form2::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);

    withoutDefaultButton();
    Form_Load();
}

void Form2::Form_Load() {
    // The lists start at the process's current drive and directory.
    File1->setPath(Dir1->Path());
    File1->Refresh();
    // The type list's last five characters are the pattern.
    Combo1->addItem(tr("(all files) *.*  "));
    Combo1->addItem(QStringLiteral("*.exe"));
    Combo1->addItem(QStringLiteral("*.000"));
    Label1->setText(Dir1->List(Dir1->ListIndex()));
}

void Form2::selectType(int index) {
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

void Form2::Combo1_Click() {
    File1->setPattern(Combo1->currentText().right(5));
    File1->setPath(Dir1->Path());
    File1->Refresh();
}

void Form2::Drive1_Change() {
    widgets::followDrive(*Drive1, *Dir1, this);
}

void Form2::Dir1_Change() {
    File1->setPath(Dir1->Path());
}

QString Form2::fullPath() const {
    return QString::fromStdString(
        platform::joinRootAware(File1->Path().toStdString(), File1->FileName().toStdString()));
}

void Form2::File1_Click() {
    Label1->setText(fullPath());
}

void Form2::File1_DblClick() {
    // The same as selecting the file and pressing OK. (OK fills the main
    // window's fields itself, and leaves them alone when the file is gone.)
    Command1_Click();
}

void Form2::Command1_Click() {
    const QString path = fullPath();
    const QString name = File1->FileName();
    if (name.isEmpty()) {
        main_->Text1->setText(path);
        platform::Message message;
        message.text = tr("You have to choose a file!").toStdString();
        message.icon = platform::Icon::None;
        widgets::messageBox(this, message);
        return;
    }

    // The file may have gone since the list was read: say so, and leave the
    // main window as it is.
    platform::Status status;
    const auto length = platform::fileLength(path.toStdString(), &status);
    if (!length) {
        platform::Message message;
        message.text = tr("%1\nThe file cannot be opened; choose another one.")
                           .arg(QString::fromStdString(status.message()))
                           .toStdString();
        message.title = "Dorvik";
        message.icon = platform::Icon::Critical; // like the operations' failures
        widgets::messageBox(this, message);
        File1->Refresh();
        return;
    }
    showChosenFile(*main_, {path, name, Dir1->Path(), *length});
    showInstead(main_, this);
}

void Form2::Command2_Click() {
    showInstead(main_, this);
}

bool Form2::Form_Unload() {
    showInstead(main_, this);
    return true;
}

} // namespace dorvik::splitter
