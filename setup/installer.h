// The installer's four windows and the way it ends. Windows are made
// ("loaded") on first use and reach each other through this object.
#pragma once

#include "platform/widgets/classicwindow.h"
#include "setup/installrun.h"

#include <QPointer>

#include <functional>
#include <string>

namespace dorvik::setup {

class Form1;
class Form2;
class Form3;
class Form4;

class Installer {
public:
    // `onEnd` is called once when the installer ends; without one the
    // application's event loop is left.
    explicit Installer(std::function<void()> onEnd = {});
    ~Installer();
    Installer(const Installer &) = delete;
    Installer &operator=(const Installer &) = delete;

    // The windows, loaded first when they are not.
    Form1 *form1();
    Form2 *form2();
    Form3 *form3();
    Form4 *form4();
    // The windows if loaded, else null.
    Form1 *loadedForm1() const;
    Form2 *loadedForm2() const;
    Form3 *loadedForm3() const;
    Form4 *loadedForm4() const;

    // The product name, held by the backdrop's hidden label.
    std::string productName();

    // Loads the welcome window (which brings up the backdrop) and shows it.
    void start();
    // Ends the installer at once: every window goes and no further handler
    // of any window runs.
    void end();
    bool ending() const { return ending_; }

    // How the installation run reaches the machine.
    InstallEnvironment environment = InstallEnvironment::platformDefaults();

private:
    std::function<void()> onEnd_;
    bool ending_ = false;
    QPointer<Form1> form1_;
    QPointer<Form2> form2_;
    QPointer<Form3> form3_;
    QPointer<Form4> form4_;
};

// How the installer dresses its windows: the small sans-serif face of the
// classic dialogs, in which the longest line of the welcome window's notice
// fits its label; once the installer is ending, a close box closes a window
// without its unload handler.
widgets::WindowLook windowLook(Installer *installer);

} // namespace dorvik::setup
