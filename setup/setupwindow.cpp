#include "setup/setupwindow.h"

#include "platform/widgets/classicwindow.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace dorvik::setup {

SetupWindow::SetupWindow(Installer *installer) : installer_(installer) {
    // The small sans-serif face of the classic dialogs, in which the longest
    // line of the welcome window's notice fits its label.
    setFont(
        widgets::windowFont({{QString::fromStdString(noticeText()).section('\n', 0, 0), 5055}}));
}

QPushButton *SetupWindow::commandButton(const char *name, const QString &text, widgets::Twips at,
                                        bool isDefault) {
    auto *button = widgets::place(new QPushButton(text, this), name, at);
    button->setAutoDefault(true);
    if (isDefault) {
        button->setDefault(true);
        defaultButton_ = button;
    }
    return button;
}

void SetupWindow::keyPressEvent(QKeyEvent *event) {
    if (widgets::clickOnEnter(defaultButton_, event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetupWindow::giveEnterToDefaultButton(QWidget *control) {
    control->installEventFilter(this);
}

bool SetupWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        widgets::clickOnEnter(defaultButton_, static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void SetupWindow::closeEvent(QCloseEvent *event) {
    if (installer_->ending() || Form_Unload())
        event->accept();
    else
        event->ignore();
}

} // namespace dorvik::setup
