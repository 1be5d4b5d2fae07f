#include "setup/installer.h"

#include "setup/form1.h"
#include "setup/form2.h"
#include "setup/form3.h"
#include "setup/form4.h"

#include <QCoreApplication>

namespace dorvik::setup {

Installer::Installer(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
    if (!onEnd_)
        onEnd_ = [] { QCoreApplication::exit(0); };
}

Installer::~Installer() {
    ending_ = true;
    delete form2_;
    delete form1_;
    delete form4_;
    delete form3_;
}

Form1 *Installer::form1() {
    if (!form1_) {
        form1_ = new Form1(this);
        form1_->Form_Load();
    }
    return form1_;
}

Form2 *Installer::form2() {
    if (!form2_) {
        form2_ = new Form2(this);
        form2_->Form_Load();
    }
    return form2_;
}

Form3 *Installer::form3() {
    if (!form3_) {
        form3_ = new Form3(this);
        form3_->Form_Load();
    }
    return form3_;
}

Form4 *Installer::form4() {
    if (!form4_) {
        form4_ = new Form4(this);
        form4_->Form_Load();
    }
    return form4_;
}

Form1 *Installer::loadedForm1() const {
    return form1_;
}

Form2 *Installer::loadedForm2() const {
    return form2_;
}

Form3 *Installer::loadedForm3() const {
    return form3_;
}

Form4 *Installer::loadedForm4() const {
    return form4_;
}

std::string Installer::productName() {
    return form3()->productName();
}

void Installer::start() {
    form4()->show();
}

void Installer::end() {
    if (ending_)
        return;
    ending_ = true;
    for (QWidget *w : {static_cast<QWidget *>(form2_), static_cast<QWidget *>(form1_),
                       static_cast<QWidget *>(form4_), static_cast<QWidget *>(form3_)}) {
        if (w)
            w->close();
    }
    onEnd_();
}

} // namespace dorvik::setup
