#include "setup/setupwindow.h"

#include "platform/widgets/twips.h"
#include "setup/installer.h"
#include "setup/texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>

namespace dorvik::setup {

namespace {

// The small sans-serif face of the classic dialogs, 8 points.
QFont windowFont() {
    QFont font = QApplication::font();
    for (const char *family : {"Liberation Sans", "Arimo", "Arial", "Nimbus Sans"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            font.setFamily(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSizeF(8);
    // The longest line of the welcome window's notice must fit its label.
    const QString line = QString::fromStdString(noticeText()).section('\n', 0, 0);
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(line) > widgets::twips(5055))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

} // namespace

SetupWindow::SetupWindow(Installer *installer) : installer_(installer) {
    setFont(windowFont());
}

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

bool SetupWindow::pressDefaultOnEnter(const QKeyEvent *event) {
    // The keypad's Enter comes with the keypad modifier and counts as Enter.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || modifiers != Qt::NoModifier || !defaultButton_ || !defaultButton_->isEnabled())
        return false;
    defaultButton_->click();
    return true;
}

void SetupWindow::keyPressEvent(QKeyEvent *event) {
    if (pressDefaultOnEnter(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetupWindow::giveEnterToDefaultButton(QWidget *control) {
    control->installEventFilter(this);
}

bool SetupWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && pressDefaultOnEnter(static_cast<QKeyEvent *>(event)))
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
