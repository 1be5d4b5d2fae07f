// What the installer's windows share: Enter presses the window's default
// button, and the close box runs the window's unload handler unless the
// installer is ending.
#pragma once

#include "platform/widgets/twips.h"

#include <QWidget>

class QPushButton;

namespace dorvik::setup {

class Installer;

class SetupWindow : public QWidget {
    Q_OBJECT
public:
    explicit SetupWindow(Installer *installer);
    Installer *installer() const { return installer_; }
    QPushButton *defaultButton() const { return defaultButton_; }

protected:
    // A command button at `at` that takes Enter when it has the focus;
    // `isDefault` makes it take Enter anywhere else in the window as well.
    QPushButton *commandButton(const char *name, const QString &text, widgets::Twips at,
                               bool isDefault = false);
    // The window's own close control; return false to keep the window.
    virtual bool Form_Unload() { return true; }
    // `control` would take Enter for itself; in this window Enter on it
    // presses the default button instead.
    void giveEnterToDefaultButton(QWidget *control);
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    Installer *installer_;
    QPushButton *defaultButton_ = nullptr;
};

} // namespace dorvik::setup
