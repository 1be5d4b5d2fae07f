// The installer's main window: proposes the target directory, leads to the
// directory chooser and starts the installation with its picture button.
#pragma once

#include "platform/widgets/classicwindow.h"
#include "setup/installrun.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace dorvik::setup {

class Installer;

class Form1 : public widgets::ClassicWindow, public InstallView {
    Q_OBJECT
public:
    explicit Form1(Installer *installer);
    Installer *installer() const { return installer_; }
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    // Runs the installation and ends the installer, unless the run went
    // back before installing anything (no room on the target's volume).
    void Command3_Click();

    QGroupBox *Frame2;
    QLabel *Label2; // instruction text
    QPushButton *Command3;
    QGroupBox *Frame1;
    QLabel *Label1; // target directory
    QPushButton *Command1;
    QPushButton *Command2;

    // InstallView
    std::string productName() const override;
    std::string targetDirectory() const override;
    void setBusy(bool busy) override;
    void setFrameCaption(const std::string &caption) override;
    void setTargetLine(const std::string &text) override;

protected:
    bool Form_Unload() override;

private:
    Installer *installer_;
};

} // namespace dorvik::setup
