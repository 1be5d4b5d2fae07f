// Welcome window, the installer's start-up window.
#pragma once

#include "platform/widgets/classicwindow.h"

class QFrame;
class QLabel;
class QPushButton;

namespace dorvik::setup {

class Installer;

class Form4 : public widgets::ClassicWindow {
    Q_OBJECT
public:
    explicit Form4(Installer *installer);
    Installer *installer() const { return installer_; }
    void Form_Load();
    void Command1_Click();
    void Command2_Click();

    QFrame *Shape1;
    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QFrame *Frame1;
    QPushButton *Command1;
    QPushButton *Command2;

protected:
    bool Form_Unload() override;

private:
    Installer *installer_;
};

} // namespace dorvik::setup
