// What the splitter's four windows have in common: the window base, the
// control makers that place a named control at its twips rectangle, and the
// check box whose caption wraps.
#pragma once

#include "platform/widgets/classicwindow.h"
#include "platform/widgets/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QStringList>

class QLineEdit;
class QPushButton;

namespace dorvik::splitter {

using widgets::place;
using widgets::placeNamed;
using widgets::Twips;

// The program's windows: not modal, fixed client size, the program's icon.
// Enter answers the default button; Escape does nothing. A window that has
// been closed by its close box is "unloaded" and waits for its destruction.
using Window = widgets::ClassicWindow;

// How the program dresses a window of that name and client size (twips),
// with or without a minimize box.
widgets::WindowLook windowLook(const char *name, int clientWidth, int clientHeight,
                               bool minimizeBox);

// A check box whose caption wraps onto further lines inside its rectangle.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
};

// A label whose text wraps at word boundaries and, for a word longer than a
// line (a long path), anywhere in it.
class WrapLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

QLabel *makeLabel(QWidget *window, const char *name, const QString &caption, Twips at);
QPushButton *makeButton(QWidget *window, const char *name, const QString &caption, Twips at);
// A field the user types into.
QLineEdit *makeField(QWidget *window, const char *name, const QString &text, Twips at);
// A field only the program fills: read only, not in the focus order, in the
// tooltip colours.
QLineEdit *makeDisplayField(QWidget *window, const char *name, Twips at);
CheckBox *makeCheckBox(QWidget *window, const char *name, const QString &caption, Twips at);

// Sets `label`'s margins and alignment so that each of `texts` shows as a
// word of its own between the caption of `before` (on its left) and the
// caption of `after` (on its right), which may overlap the label's
// rectangle: centred in the room between them with at least a blank's width
// on either side, or, where that room is too narrow, a blank's width left of
// `after`. Both neighbours are left-aligned labels in the same parent.
void fitBetween(QLabel *label, const QLabel *before, const QLabel *after, const QStringList &texts);

// Paints the widget in the user's tooltip background (and text) colour.
void useTooltipColours(QWidget *widget);

// Shows `shown` where `hidden` is (centred over it), then hides `hidden`.
void showInstead(QWidget *shown, QWidget *hidden);

} // namespace dorvik::splitter
