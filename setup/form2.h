// "Filemeny": the installer's directory chooser. The chosen path gets the
// product name appended and becomes the main window's target directory.
#pragma once

#include "platform/widgets/classicwindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace dorvik::widgets {
class DriveListBox;
class DirListBox;
class FileListBox;
} // namespace dorvik::widgets

namespace dorvik::setup {

class Installer;

class Form2 : public widgets::ClassicWindow {
    Q_OBJECT
public:
    explicit Form2(Installer *installer);
    Installer *installer() const { return installer_; }
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void File1_DblClick();
    void Command1_Click();
    void Command2_Click();

    QLabel *Label2;
    QLineEdit *Text1;
    widgets::DirListBox *Dir1;
    QLabel *Label1;
    widgets::DriveListBox *Drive1;
    QPushButton *Command1;
    QPushButton *Command2;
    widgets::FileListBox *File1;

protected:
    bool Form_Unload() override;

private:
    // Back to the main window, which takes this window's place.
    void showMainWindow();

    Installer *installer_;
};

} // namespace dorvik::setup
