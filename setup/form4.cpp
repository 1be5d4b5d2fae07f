#include "setup/form4.h"

#include "platform/widgets/twips.h"
#include "setup/form1.h"
#include "setup/form3.h"
#include "setup/icon.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace dorvik::setup {

Form4::Form4(Installer *installer) : ClassicWindow(windowLook(installer)), installer_(installer) {
    setObjectName("Form4");
    setWindowTitle("Form4");
    setWindowIcon(installerIcon());
    widgets::placeTwips(this, 1665, 1980, 5790, 2790);
    widgets::sizeClientTwips(this, 5790, 2790);

    Shape1 = widgets::place(new QFrame(this), "Shape1", {180, 180, 5415, 1815});
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(1);

    Image1 = widgets::place(new QLabel(this), "Image1", {360, 300, 480, 480});
    Image1->setPixmap(QPixmap::fromImage(installerIconImage(32)));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label1 = widgets::place(new QLabel(this), "Label1", {1080, 360, 3555, 255});
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = widgets::place(new QLabel("Label2", this), "Label2", {420, 840, 5055, 795});
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Frame1 = widgets::place(new QFrame(this), "Frame1", {120, 2120, 5535, 30});
    Frame1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    Command1 = commandButton("Command1", tr("OK"), {1440, 2280, 1095, 375}, true);
    Command2 = commandButton("Command2", tr("Exit Setup"), {3360, 2280, 1095, 375});
    setTabOrder(Command1, Command2);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form4::Form_Load() {
    const std::string product = installer()->productName();
    Label1->setText(QString::fromStdString(welcomeText(product)));
    setWindowTitle(tr("Setup"));
    Label2->setText(QString::fromStdString(noticeText()));
    installer()->form3()->show();
}

void Form4::Command1_Click() {
    if (installer()->ending())
        return;
    installer()->form1()->show();
    hide();
}

void Form4::Command2_Click() {
    installer()->end();
}

bool Form4::Form_Unload() {
    installer()->end();
    return true;
}

} // namespace dorvik::setup
