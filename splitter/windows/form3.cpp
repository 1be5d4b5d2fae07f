#include "splitter/windows/form3.h"

#include "platform/fs.h"
#include "splitter/windows/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dorvik::splitter {

Form3::Form3(Form1 *main) : Window(windowLook("Form3", 4140, 3990, false)), main_(main) {
    setWindowTitle(tr("Filemeny"));
    setAccessibleName(tr("Choose a directory"));
    setAttribute(Qt::WA_DeleteOnClose);

    // clang-format off
    Label2   = makeLabel(this, "Label2", "/",                 {120, 120, 3855, 255});
    Drive1   = place(new widgets::DriveListBox(this), "Drive1", {120, 420, 2835, 315});
    Command1 = makeButton(this, "Command1", tr("OK"),         {3060, 420, 975, 300});
    Dir1     = place(new widgets::DirListBox(this), "Dir1",   {120, 900, 2835, 2340});
    Command2 = makeButton(this, "Command2", tr("Cancel"),     {3060, 900, 975, 300});
    Label1   = makeLabel(this, "Label1", tr("New directory:"), {120, 3360, 1455, 255});
    Text1    = makeField(this, "Text1", "",                   {120, 3600, 2835, 300});
    Command3 = makeButton(this, "Command3", tr("Create"),      {3060, 3600, 975, 300});
    // clang-format on

    useTooltipColours(Drive1);
    useTooltipColours(Dir1);
    useTooltipColours(Text1);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Text1);
    setTabOrder(Text1, Command3);
    setTabOrder(Command3, Command1);
    setTabOrder(Command1, Command2);

    // For a screen reader: the lists have no captions of their own; OK
    // hands over the chosen path shown above them.
    Drive1->setAccessibleName(tr("Drive"));
    Dir1->setAccessibleName(tr("Directories"));
    Label1->setBuddy(Text1);
    Command3->setAccessibleDescription(tr("Create the new directory in the opened one"));
    Command1->setAccessibleDescription(tr("Use the chosen path"));

    connect(Drive1, &widgets::DriveListBox::Change, this, &Form3::Drive1_Change);
    connect(Dir1, &widgets::DirListBox::Click, this, &Form3::Dir1_Click);
    connect(Dir1, &widgets::DirListBox::Change, this, &Form3::Dir1_Change);
    connect(Text1, &QLineEdit::textChanged, this, &Form3::Text1_Change);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    withoutDefaultButton();
}

void Form3::Drive1_Change() {
    // A drive that cannot be read is reported and the lists stay where they
    // were, and so does the chosen path.
    if (widgets::followDrive(*Drive1, *Dir1, this))
        Label2->setText(Drive1->Drive());
}

void Form3::Dir1_Click() {
    Label2->setText(Dir1->List(Dir1->ListIndex()));
}

void Form3::Dir1_Change() {
    // Opening a directory leaves the chosen path as it is.
}

QString Form3::pathWithName() const {
    return QString::fromStdString(
        platform::joinRootAware(Dir1->Path().toStdString(), Text1->text().toStdString()));
}

void Form3::Text1_Change() {
    Command3->setEnabled(true);
    Label2->setText(pathWithName());
}

void Form3::Command3_Click() {
    // Failures (no name, a directory of that name, a name the file system
    // refuses) are passed over without a message; the chosen path already
    // names the directory.
    if (!Text1->text().isEmpty())
        (void)platform::makeDirectory(pathWithName().toStdString()); // passed over, as said
    Command3->setEnabled(false);
}

void Form3::Command1_Click() {
    main_->Text7->setText(Label2->text());
    showInstead(main_, this);
}

void Form3::Command2_Click() {
    showInstead(main_, this);
}

bool Form3::Form_Unload() {
    showInstead(main_, this);
    return true;
}

} // namespace dorvik::splitter
