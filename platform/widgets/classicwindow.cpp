#include "platform/widgets/classicwindow.h"

#include "platform/widgets/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace dorvik::widgets {

QFont windowFont(std::initializer_list<Fit> captions) {
    QFont font = QApplication::font();
    for (const char *family : {"Liberation Sans", "Arimo", "Arial", "Nimbus Sans", "Helvetica"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            font.setFamily(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSizeF(8);
    auto fits = [captions](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        return std::all_of(captions.begin(), captions.end(), [&metrics](const Fit &caption) {
            return metrics.horizontalAdvance(caption.text) <= twips(caption.width);
        });
    };
    while (font.pointSizeF() > 6 && !fits(font))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

bool isEnter(const QKeyEvent *event) {
    // The keypad's Enter comes with the keypad modifier and counts as Enter.
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool clickOnEnter(QPushButton *button, const QKeyEvent *event) {
    if (!isEnter(event) || !button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

ClassicWindow::ClassicWindow(const WindowLook &look)
    : closesWithoutUnload_(look.closesWithoutUnload) {
    if (look.name)
        setObjectName(QString::fromLatin1(look.name));
    Qt::WindowFlags flags = Qt::Window;
    if (look.titleBar != WindowLook::TitleBar::System) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        if (look.titleBar == WindowLook::TitleBar::CloseAndMinimize)
            flags |= Qt::WindowMinimizeButtonHint;
    }
    setWindowFlags(flags);
    setModal(false);
    if (!look.icon.isNull())
        setWindowIcon(look.icon);
    setFont(look.font);
    if (look.clientWidth > 0 && look.clientHeight > 0)
        sizeClientTwips(this, look.clientWidth, look.clientHeight);
}

QPushButton *ClassicWindow::commandButton(const char *name, const QString &text, Twips at,
                                          bool isDefault) {
    auto *button = place(new QPushButton(text, this), name, at);
    button->setAutoDefault(true);
    if (isDefault) {
        button->setDefault(true);
        defaultButton_ = button;
    }
    return button;
}

void ClassicWindow::giveEnterToDefaultButton(QWidget *control) {
    control->installEventFilter(this);
}

void ClassicWindow::withoutDefaultButton() {
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
}

void ClassicWindow::keyPressEvent(QKeyEvent *event) {
    // A button that is not an auto-default one passes Enter on to us.
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && !button->autoDefault() && clickOnEnter(button, event))
        return;
    if (clickOnEnter(defaultButton_, event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ClassicWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        clickOnEnter(defaultButton_, static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ClassicWindow::closeEvent(QCloseEvent *event) {
    if ((closesWithoutUnload_ && closesWithoutUnload_()) || Form_Unload()) {
        unloaded_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace dorvik::widgets
