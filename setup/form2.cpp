#include "setup/form2.h"

#include "platform/fs.h"
#include "platform/widgets/listcontrols.h"
#include "platform/widgets/twips.h"
#include "setup/form1.h"
#include "setup/icon.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dorvik::setup {

namespace {

// Qt has no colour for inactive caption text; the disabled text colour is
// the palette's nearest, a light grey under the usual styles.
QColor inactiveCaptionText(const QPalette &palette) {
    return palette.color(QPalette::Disabled, QPalette::WindowText);
}

void useHighlightBackground(QWidget *list) {
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Light));
    list->setPalette(palette);
}

QLabel *plainLabel(QWidget *parent, const char *name, const QString &text, widgets::Twips at) {
    auto *label = widgets::place(new QLabel(text, parent), name, at);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

Form2::Form2(Installer *installer) : ClassicWindow(windowLook(installer)), installer_(installer) {
    setObjectName("Form2");
    setWindowTitle(tr("Filemeny"));
    setAccessibleName(tr("Choose the installation directory"));
    setWindowIcon(installerIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, inactiveCaptionText(palette));
    setPalette(palette);
    setAutoFillBackground(true);
    widgets::placeTwips(this, 2445, 1980, 4710, 3195);

    Label2 = plainLabel(this, "Label2", tr("Path:"), {120, 60, 1335, 195});
    Text1 = widgets::place(new QLineEdit(this), "Text1", {120, 240, 4455, 285});
    Dir1 = widgets::place(new widgets::DirListBox(this), "Dir1", {120, 600, 3195, 1890});
    Label1 = plainLabel(this, "Label1", tr("Drives:"), {120, 2580, 735, 195});
    Drive1 = widgets::place(new widgets::DriveListBox(this), "Drive1", {120, 2760, 3195, 315});
    Command1 = commandButton("Command1", tr("OK"), {3420, 600, 1155, 375}, true);
    Command2 = commandButton("Command2", tr("Cancel"), {3420, 2100, 1155, 375});
    // Beyond the right edge: not seen while the window keeps its size.
    File1 = widgets::place(new widgets::FileListBox(this), "File1", {4800, 120, 1575, 2820});
    for (QWidget *list : {static_cast<QWidget *>(Dir1), static_cast<QWidget *>(Drive1),
                          static_cast<QWidget *>(File1)})
        useHighlightBackground(list);

    // Enter on the directory list is OK, as everywhere in this window; the
    // list opens an entry on a double click only.
    giveEnterToDefaultButton(Dir1);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, File1);
    Drive1->setFocus();

    // For a screen reader: the labels name the path field and the drive
    // list; the lists without a caption get names of their own.
    Label2->setBuddy(Text1);
    Label1->setBuddy(Drive1);
    Dir1->setAccessibleName(tr("Directories"));
    File1->setAccessibleName(tr("Files"));
    Command1->setAccessibleDescription(tr("Install into a new directory in this path"));

    // All three lists start at the current drive and directory.
    const QString current = QString::fromStdString(platform::currentDirectory());
    Drive1->setDrive(current);
    Dir1->setPath(current);
    File1->setPath(Dir1->Path());

    connect(Drive1, &widgets::DriveListBox::Change, this, [this] { Drive1_Change(); });
    connect(Dir1, &widgets::DirListBox::Change, this, [this] { Dir1_Change(); });
    connect(Dir1, &widgets::DirListBox::Click, this, [this] { Dir1_Click(); });
    connect(File1, &widgets::FileListBox::DblClick, this, [this] { File1_DblClick(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form2::Form_Load() {
    Text1->setText(File1->Path());
}

void Form2::Drive1_Change() {
    if (installer()->ending())
        return;
    // A drive that does not answer sends the drive list back to the
    // directory list's drive, and the user learns why.
    widgets::followDrive(*Drive1, *Dir1, this);
}

void Form2::Dir1_Change() {
    File1->setPath(Dir1->Path());
}

void Form2::Dir1_Click() {
    Text1->setText(Dir1->List(Dir1->ListIndex()));
}

void Form2::File1_DblClick() {
    Command1->click();
}

void Form2::Command1_Click() {
    if (installer()->ending())
        return;
    const std::string product = installer()->productName();
    Form1 *main = installer()->form1();
    main->Label1->setText(
        QString::fromStdString(chosenTarget(Text1->text().toStdString(), product)));
    main->Label2->setText(QString::fromStdString(instructionText(product)));
    showMainWindow();
}

void Form2::Command2_Click() {
    if (installer()->ending())
        return;
    showMainWindow();
}

bool Form2::Form_Unload() {
    showMainWindow();
    return true; // and the window goes; the next Browse makes it anew
}

void Form2::showMainWindow() {
    installer()->form1()->show();
    hide();
}

} // namespace dorvik::setup
