#include "setup/setupwindow.h"

#include "setup/installer.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace dorvik::setup {

SetupWindow::SetupWindow(Installer *installer) : installer_(installer) {}

QPushButton *SetupWindow::commandButton(const QString &name, const QString &text, bool isDefault) {
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(true);
    if (isDefault) {
        button->setDefault(true);
        defaultButton_ = button;
    }
    return button;
}

void SetupWindow::keyPressEvent(QKeyEvent *event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && defaultButton_ &&
        defaultButton_->isEnabled()) {
        event->accept();
        defaultButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetupWindow::closeEvent(QCloseEvent *event) {
    if (installer_->ending() || Form_Unload())
        event->accept();
    else
        event->ignore();
}

} // namespace dorvik::setup
