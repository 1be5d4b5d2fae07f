// What the windows of both programs share: the window itself, its font, and
// Enter as the key that presses a button.
#pragma once

#include "platform/widgets/twips.h"

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QString>

#include <functional>
#include <initializer_list>

class QCloseEvent;
class QKeyEvent;
class QPushButton;

namespace dorvik::widgets {

// A caption and the width in twips its layout gives it.
struct Fit {
    QString text;
    int width;
};

// The font of the windows: 8 points, the size the layouts were drawn for, in
// a narrow sans-serif family where one is installed, made smaller by half
// points (down to 6) while any of `captions` does not fit its width.
QFont windowFont(std::initializer_list<Fit> captions);

// Return or the keypad's Enter, with no modifier other than the keypad's.
bool isEnter(const QKeyEvent *event);
// Clicks `button` if `event` is Enter and the button exists and is enabled;
// true when it did.
bool clickOnEnter(QPushButton *button, const QKeyEvent *event);

// How a program dresses its windows.
struct WindowLook {
    enum class TitleBar {
        System,          // what the window system gives a window
        Close,           // caption and close box only
        CloseAndMinimize // caption, minimize box and close box
    };
    const char *name = nullptr; // the objectName; null leaves it to the window
    QFont font;
    QIcon icon;           // null: the window has none of its own
    int clientWidth = 0;  // twips; 0 (either): the size is not fixed here
    int clientHeight = 0; //
    TitleBar titleBar = TitleBar::System;
    // While this answers true (the program is ending), the close box closes
    // the window without running its unload handler.
    std::function<bool()> closesWithoutUnload;
};

// A window of either program: a top-level window, never modal, dressed by
// its WindowLook. Enter presses the default button (the dialog's, or the one
// made by commandButton) and a focused button presses itself; Escape does
// nothing. The close box runs Form_Unload, which may keep the window open; a
// window closed that way is "unloaded" and waits for its destruction.
class ClassicWindow : public QDialog {
    Q_OBJECT
public:
    explicit ClassicWindow(const WindowLook &look);
    bool isUnloaded() const { return unloaded_; }
    // The button that takes Enter anywhere in the window, when commandButton
    // made one.
    QPushButton *defaultButton() const { return defaultButton_; }

public slots:
    void reject() override {}

protected:
    // The window's close box; return false to keep the window.
    virtual bool Form_Unload() { return true; }
    // A command button at `at` that takes Enter when it has the focus;
    // `isDefault` makes it take Enter anywhere else in the window as well.
    QPushButton *commandButton(const char *name, const QString &text, Twips at,
                               bool isDefault = false);
    // `control` would take Enter for itself; in this window Enter on it
    // presses the default button instead.
    void giveEnterToDefaultButton(QWidget *control);
    // For a window without a default button: Enter clicks only the button
    // that has the focus, and the dialog picks no default of its own.
    void withoutDefaultButton();

    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<bool()> closesWithoutUnload_;
    QPushButton *defaultButton_ = nullptr;
    bool unloaded_ = false;
};

} // namespace dorvik::widgets
