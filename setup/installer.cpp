#include "setup/installer.h"

#include "setup/form1.h"
#include "setup/form2.h"
#include "setup/form3.h"
#include "setup/form4.h"
#include "setup/texts.h"

#include <QCoreApplication>

namespace dorvik::setup {

widgets::WindowLook windowLook(Installer *installer) {
    widgets::WindowLook look;
    look.font =
        widgets::windowFont({{QString::fromStdString(noticeText()).section('\n', 0, 0), 5055}});
    look.closesWithoutUnload = [installer] { return installer->ending(); };
    return look;
}

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

namespace {

// The window in `slot`, made and loaded first when there is none. The slot is
// filled before Form_Load runs, so a window that reaches for itself while
// loading finds itself.
template <class Form> Form *loaded(QPointer<Form> &slot, Installer *installer) {
    if (!slot) {
        slot = new Form(installer);
        slot->Form_Load();
    }
    return slot;
}

} // namespace

Form1 *Installer::form1() {
    return loaded(form1_, this);
}

Form2 *Installer::form2() {
    return loaded(form2_, this);
}

Form3 *Installer::form3() {
    return loaded(form3_, this);
}

Form4 *Installer::form4() {
    return loaded(form4_, this);
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
