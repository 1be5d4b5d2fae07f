// What a screen reader hears of the controls Tab reaches in a window.
#pragma once

#include <QAccessible>
#include <QSet>
#include <QStringList>
#include <QWidget>

namespace dorvik::testing {

// The controls of `window`'s focus chain (those shown) without an accessible
// name, or alike in name and description to one before them.
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
