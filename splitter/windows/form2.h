// The file chooser: the user picks the file to split or the first piece of a
// set to join. Its OK fills the main window's fields and switches the main
// window to split mode or join mode. Hidden, not destroyed, by OK and
// Cancel, so drive, directory and selection stay for the next opening.
#pragma once

#include "platform/widgets/listcontrols.h"
#include "splitter/windows/controls.h"

#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;

namespace dorvik::splitter {

class Form1;

// Whether a chosen file name is taken for the first piece of a set: its last
// character, or its third character from the end, is "0"; so is any name
// shorter than three characters.
bool isJoinName(const QString &name);

// A file confirmed for the main window, measured.
struct ChosenFile {
    QString path;      // full path, shown in the file field
    QString name;      // the name the mode rule reads
    QString directory; // the target directory it proposes
    std::int64_t length = 0;
};

// What confirming a file does to the main window, as the file chooser's OK
// does it: fills the file field, moves the slider to the suggested count
// (when the slider takes it), writes the size preview, switches to join or
// split mode by the name, and puts the directory into the directory field.
// Showing the main window is left to the caller.
void showChosenFile(Form1 &main, const ChosenFile &file);

// Shows the file at `path` (relative to the working directory, or absolute)
// in the main window as if it had been chosen in the file chooser. A path
// that names no file, or a file that cannot be read, is told in a message
// titled "Dorvik" and leaves the main window as it is. True when shown; the
// file chooser then stands in the file's directory.
bool openFile(Form1 &main, const QString &path);

class Form2 : public Window {
    Q_OBJECT
public:
    // Builds the window hidden and runs Form_Load.
    explicit Form2(Form1 *main);

    widgets::DriveListBox *Drive1;
    widgets::DirListBox *Dir1;
    widgets::FileListBox *File1;
    QComboBox *Combo1;
    QPushButton *Command1;
    QPushButton *Command2;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;

    // Selects entry `index` of the file-type list as if the user had picked it.
    void selectType(int index);

public slots:
    void Form_Load();
    bool Form_Unload() override;
    void Combo1_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Command1_Click();
    void Command2_Click();

private:
    // The chosen file's full path: the file list's Path and FileName joined,
    // without doubling the separator of a root.
    QString fullPath() const;

    Form1 *main_;
};

} // namespace dorvik::splitter
