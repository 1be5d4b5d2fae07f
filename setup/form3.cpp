#include "setup/form3.h"

#include "platform/widgets/twips.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QFont>
#include <QLabel>

namespace dorvik::setup {

namespace {

// The installer's one configurable value.
constexpr const char *kProductName = "Dorvik";

const QColor kBackdropBlue(0, 0, 192);
const QColor kTitleBackground(0, 0, 128);

QLabel *titleLabel(QWidget *parent, const char *name, const QColor &text, widgets::Twips at) {
    auto *label = widgets::place(new QLabel("SETUP", parent), name, at);
    QFont font("Times New Roman", 36, QFont::Bold, true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, kTitleBackground);
    label->setPalette(palette);
    // The title stays transparent so that its shadow shows on the blue.
    label->setAutoFillBackground(false);
    return label;
}

} // namespace

Form3::Form3(Installer *installer) : ClassicWindow(windowLook(installer)) {
    setObjectName("Form3");
    setWindowTitle("Form3");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackdropBlue);
    setPalette(palette);
    setAutoFillBackground(true);
    widgets::placeTwips(this, 960, 705, 7965, 5925);

    Label3 = widgets::place(new QLabel(this), "Label3", {360, 1320, 2115, 315});
    Label3->setVisible(false);

    Label2 = titleLabel(this, "Label2", Qt::black, {510, 370, 5535, 855});
    Label1 = titleLabel(this, "Label1", this->palette().color(QPalette::HighlightedText),
                        {450, 330, 7455, 855});
    Label2->stackUnder(Label1);
}

void Form3::Form_Load() {
    Label1->setText(QString::fromStdString(titleText(kProductName)));
    Label2->setText(QString::fromStdString(titleText(kProductName)));
    Label3->setText(kProductName);
}

std::string Form3::productName() const {
    return Label3->text().toStdString();
}

bool Form3::Form_Unload() {
    // The backdrop stays until the installer ends.
    return false;
}

} // namespace dorvik::setup
