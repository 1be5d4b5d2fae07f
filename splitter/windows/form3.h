// The directory chooser: the user picks the target directory, and may create
// a new directory in the opened one. The chosen path in the top label is what
// OK hands to the main window. Hidden by OK and Cancel, keeping its state.
#pragma once

#include "platform/widgets/listcontrols.h"
#include "splitter/windows/controls.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace dorvik::splitter {

class Form1;

class Form3 : public Window {
    Q_OBJECT
public:
    // Builds the window hidden: chosen path "/", the lists at the process's
    // current drive and directory.
    explicit Form3(Form1 *main);

    QLabel *Label2;
    widgets::DriveListBox *Drive1;
    QPushButton *Command1;
    widgets::DirListBox *Dir1;
    QPushButton *Command2;
    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command3;

public slots:
    bool Form_Unload() override;
    void Drive1_Change();
    void Dir1_Click();
    void Dir1_Change();
    void Text1_Change();
    void Command3_Click();
    void Command1_Click();
    void Command2_Click();

private:
    // The opened directory with the new name appended, without doubling the
    // separator of a root.
    QString pathWithName() const;

    Form1 *main_;
};

} // namespace dorvik::splitter
