#include "platform/widgets/classicwindow.h"

#include "platform/widgets/twips.h"

#include <QApplication>
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

} // namespace dorvik::widgets
