#include "setup/form1.h"

#include "platform/drives.h"
#include "platform/translate.h"
#include "platform/widgets/messagebox.h"
#include "platform/widgets/twips.h"
#include "setup/form2.h"
#include "setup/form3.h"
#include "setup/icon.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace dorvik::setup {

namespace {
const QColor kSilver(192, 192, 192);
}

Form1::Form1(Installer *installer) : ClassicWindow(windowLook(installer)), installer_(installer) {
    setObjectName("Form1");
    setWindowTitle(tr("Setup"));
    setWindowIcon(installerIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kSilver);
    setPalette(palette);
    setAutoFillBackground(true);
    widgets::placeTwips(this, 1665, 1980, 6030, 3135);
    widgets::sizeClientTwips(this, 6030, 3135);

    Frame2 = widgets::place(new QGroupBox(this), "Frame2", {120, 240, 5775, 1455});
    Label2 = widgets::place(new QLabel(Frame2), "Label2", {240, 240, 5295, 1095});
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setAutoFillBackground(true);

    Frame1 = widgets::place(
        new QGroupBox(QString::fromStdString(DORVIK_TEXT("Setup", "Directory:")), this), "Frame1",
        {120, 1920, 5775, 615});
    Label1 = widgets::place(new QLabel(Frame1), "Label1", {240, 240, 4215, 255});
    Label1->setTextFormat(Qt::PlainText);

    Command1 = commandButton("Command1", tr("Browse"), {4680, 2125, 1095, 300}, true);
    Command2 = commandButton("Command2", tr("Exit setup"), {4680, 2700, 1095, 300});
    Command3 = commandButton("Command3", QString(), {240, 440, 600, 600});
    Command3->setIcon(installerIcon());
    Command3->setIconSize(QSize(32, 32));
    Command3->raise(); // in front of the instruction frame

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    Command1->setFocus();

    // For a screen reader: the picture button has no caption, and Browse
    // says what it chooses.
    Command3->setAccessibleName(tr("Install"));
    Command3->setAccessibleDescription(tr("Install into the directory shown below"));
    Command1->setAccessibleDescription(tr("Choose another directory to install into"));

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void Form1::Form_Load() {
    const std::string product = installer()->productName();
    Label2->setText(QString::fromStdString(instructionText(product)));
    Label1->setText(QString::fromStdString(proposedTarget(platform::homeDirectory(), product)));
}

void Form1::Command1_Click() {
    if (installer()->ending())
        return;
    installer()->form2()->show();
    hide();
}

void Form1::Command2_Click() {
    installer()->end();
}

void Form1::Command3_Click() {
    if (installer()->ending())
        return;
    widgets::MessageBoxPrompter prompter(this);
    if (runInstallation(*this, prompter, installer()->environment).wentBack)
        return; // nothing was installed; the user may choose another directory
    installer()->end();
}

bool Form1::Form_Unload() {
    if (Form3 *backdrop = installer()->loadedForm3())
        backdrop->hide();
    installer()->end();
    return true;
}

std::string Form1::productName() const {
    return installer()->productName();
}

std::string Form1::targetDirectory() const {
    return Label1->text().toStdString();
}

void Form1::setBusy(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

// The run changes the frame and the line without returning to the event
// loop in between, so each change is painted at once: otherwise none of the
// copy lines would ever be seen.
void Form1::setFrameCaption(const std::string &caption) {
    Frame1->setTitle(QString::fromStdString(caption));
    Frame1->repaint();
}

void Form1::setTargetLine(const std::string &text) {
    Label1->setText(QString::fromStdString(text));
    Label1->repaint();
}

} // namespace dorvik::setup
