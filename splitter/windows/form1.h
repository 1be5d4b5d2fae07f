// The main window: the chosen file, the target directory, the piece count
// with its size preview, the two options, and the buttons that browse, split,
// join, show the About window and quit. It lives for the whole run.
#pragma once

#include "splitter/windows/controls.h"

#include <QPointer>
#include <QString>

#include <functional>

namespace dorvik::engine {
struct JoinResult;
}
namespace dorvik::platform {
class Prompter;
}
namespace dorvik::widgets {
class OperationRunner;
}

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace dorvik::splitter {

class Form2;
class Form3;
class Form4;

class Form1 : public Window {
    Q_OBJECT
public:
    // Builds the window and runs Form_Load, which shows the start-up notice
    // and then the window.
    explicit Form1();
    ~Form1() override;

    // The controls, by name; the choosers write into them.
    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1;
    QLabel *Label2;
    QLineEdit *Text7;
    QPushButton *Command5;
    QLabel *Label3;
    QLabel *Label11;
    QLabel *Label6;
    QScrollBar *HScroll1;
    QLabel *Label4;
    CheckBox *Check2;
    CheckBox *Check1;
    QPushButton *Command3;
    QPushButton *Command4;
    QPushButton *Command6;
    QPushButton *Command2;
    QLineEdit *Text2;
    QLineEdit *Text4;

    // The choosers, created (hidden) when they do not exist yet.
    Form2 *fileChooser();
    Form3 *directoryChooser();
    // The windows that exist now (null when not), for whoever inspects them.
    Form2 *existingFileChooser() const;
    Form3 *existingDirectoryChooser() const;
    Form4 *existingAboutWindow() const;

    // The two presentations, in the order the file chooser applies them.
    void showJoinMode();
    void showSplitMode();
    // Shows `sentence` as the size preview (empty: none), where a screen
    // reader finds it too: with the slider, and as a stop of its own.
    void showPreview(const QString &sentence);

public slots:
    void Form_Load();
    bool Form_Unload() override;
    void Command1_Click();
    void Command5_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Command2_Click();
    void HScroll1_Change();
    void HScroll1_Scroll();

protected:
    // A file dropped from a file manager (exactly one local file) is opened
    // as if chosen in the file chooser.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void updatePreview();
    // Writes a join's results back into the fields and the Join button.
    void applyJoinResult(const engine::JoinResult &result);
    void endProgram();
    // Quit and the close box: end the program, or, while a split or join
    // runs, stop it and end the program once it is over.
    void endProgramOrStopRun();
    // Runs a split or join through `runner` (see OperationRunner::run),
    // known to the close box meanwhile.
    void runOperation(widgets::OperationRunner &runner,
                      const std::function<void(platform::Prompter &)> &work);

    widgets::OperationRunner *runner_ = nullptr; // the run in progress
    bool endAfterRun_ = false;
    QPointer<Form2> form2_;
    QPointer<Form3> form3_;
    QPointer<Form4> form4_;
};

} // namespace dorvik::splitter
