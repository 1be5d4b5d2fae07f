// The About window: the program's icon and version notice. Created anew on
// every opening and destroyed on every closing.
#pragma once

#include "splitter/windows/controls.h"

class QFrame;
class QLabel;
class QPushButton;

namespace dorvik::splitter {

class Form1;

// The two lines that name the program and its version and say what it does.
QString versionNotice();

class Form4 : public Window {
    Q_OBJECT
public:
    // Builds the window hidden and runs Form_Load.
    explicit Form4(Form1 *main);

    QLabel *Picture1;
    QLabel *Label1;
    QFrame *Line1;
    QPushButton *Command1;

public slots:
    void Form_Load();
    bool Form_Unload() override;
    void Command1_Click();

private:
    Form1 *main_;
};

} // namespace dorvik::splitter
