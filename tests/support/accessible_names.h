// What a screen reader hears of a window: every control that Tab reaches,
// by its accessible name and description.
#pragma once

#include <QAccessible>
#include <QSet>
#include <QStringList>
#include <QWidget>

namespace dorvik::testing {

// The problems of `window`'s focus chain: a control (shown in the window)
// without an accessible name, or two controls alike in name and
// description. Empty when a screen reader can tell every control apart.
inline QStringList unnamedOrAlike(QWidget *window) {
    QStringList problems;
    QSet<QString> heard;
    QWidget *w = window;
    do {
        w = w->nextInFocusChain();
        if (w == window || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window))
            continue;
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(w);
        const QString name = control ? control->text(QAccessible::Name) : QString();
        const QString said =
            name + " / " + (control ? control->text(QAccessible::Description) : "");
        if (name.isEmpty())
            problems << w->objectName() + " has no name";
        else if (heard.contains(said))
            problems << w->objectName() + " sounds like another control: " + said;
        heard.insert(said);
    } while (w != window);
    return problems;
}

} // namespace dorvik::testing
