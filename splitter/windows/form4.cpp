#include "splitter/windows/form4.h"

#include "platform/widgets/twips.h"
#include "splitter/windows/form1.h"
#include "splitter/windows/icon.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace dorvik::splitter {

QString versionNotice() {
    return Form4::tr("Dorvik %1\nSplits a file into pieces and joins the pieces again.")
        .arg(QStringLiteral(DORVIK_RELEASE));
}

Form4::Form4(Form1 *main) : Window(windowLook("Form4", 5055, 2550, false)), main_(main) {
    setAttribute(Qt::WA_DeleteOnClose);

    // clang-format off
    Picture1 = makeLabel(this, "Picture1", "",            {240, 240, 495, 495});
    Label1   = makeLabel(this, "Label1", versionNotice(), {1020, 180, 3795, 555});
    Line1    = place(new QFrame(this), "Line1",           {900, 1980, 3960, 30});
    Command1 = makeButton(this, "Command1", tr("OK"),     {3960, 2120, 915, 315});
    // clang-format on

    Picture1->setPixmap(QPixmap::fromImage(programIconImage(32)));
    Picture1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    // The rule from (900, 1980) to (4860, 1980).
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(Line1->x(), Line1->y() - Line1->height() / 2, Line1->width(),
                       Line1->height());
    Command1->setDefault(true);

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);

    Form_Load();
}

void Form4::Form_Load() {
    setWindowTitle(tr("About Dorvik"));
}

void Form4::Command1_Click() {
    close();
}

bool Form4::Form_Unload() {
    showInstead(main_, this);
    return true;
}

} // namespace dorvik::splitter
