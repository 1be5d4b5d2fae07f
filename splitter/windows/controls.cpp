#include "splitter/windows/controls.h"

#include "platform/widgets/classicwindow.h"
#include "platform/widgets/twips.h"
#include "splitter/windows/icon.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextOption>

#include <algorithm>

namespace dorvik::splitter {

widgets::WindowLook windowLook(const char *name, int clientWidth, int clientHeight,
                               bool minimizeBox) {
    // The tightest captions of the layouts, with the widths they have, in
    // the language shown.
    static const QFont font = widgets::windowFont(
        {{QCoreApplication::translate("dorvik::splitter::Form1", "Split file to directory:"), 1635},
         {QCoreApplication::translate("dorvik::splitter::Form1", "Split file into"), 915}});
    widgets::WindowLook look;
    look.name = name;
    look.font = font;
    look.icon = programIcon();
    look.clientWidth = clientWidth;
    look.clientHeight = clientHeight;
    look.titleBar = minimizeBox ? widgets::WindowLook::TitleBar::CloseAndMinimize
                                : widgets::WindowLook::TitleBar::Close;
    return look;
}

void CheckBox::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();

    QStyleOptionButton indicator = option;
    indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    indicator.rect.moveTop((height() - indicator.rect.height()) / 2);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    QRect textArea = rect();
    textArea.setLeft(indicator.rect.right() + 1 +
                     style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawText(textArea, flags, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textArea, flags, text()).adjusted(-1, 0, 1, 0) & rect();
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool CheckBox::hitButton(const QPoint &pos) const {
    return rect().contains(pos);
}

void WrapLabel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.drawText(QRectF(contentsRect()), text(), option);
    // Reached by Tab, the label shows that it has the focus.
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

QLabel *makeLabel(QWidget *window, const char *name, const QString &caption, Twips at) {
    auto *label = place(new QLabel(caption, window), name, at);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *makeButton(QWidget *window, const char *name, const QString &caption, Twips at) {
    return place(new QPushButton(caption, window), name, at);
}

QLineEdit *makeField(QWidget *window, const char *name, const QString &text, Twips at) {
    return place(new QLineEdit(text, window), name, at);
}

QLineEdit *makeDisplayField(QWidget *window, const char *name, Twips at) {
    QLineEdit *field = makeField(window, name, QString(), at);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    useTooltipColours(field);
    return field;
}

CheckBox *makeCheckBox(QWidget *window, const char *name, const QString &caption, Twips at) {
    return place(new CheckBox(caption, window), name, at);
}

void fitBetween(QLabel *label, const QLabel *before, const QLabel *after,
                const QStringList &texts) {
    const QFontMetrics metrics(label->font());
    const int blank = metrics.horizontalAdvance(QLatin1Char(' '));
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    // Where the neighbours' captions end and begin, in the parent.
    const int beforeEnds = before->geometry().left() + before->contentsRect().left() +
                           QFontMetrics(before->font()).horizontalAdvance(before->text());
    const int afterBegins = after->geometry().left() + after->contentsRect().left();

    const QRect own = label->geometry();
    const int right = std::max(0, own.right() + 1 - (afterBegins - blank));
    int left = std::max(0, beforeEnds + blank - own.left());
    Qt::Alignment horizontal = Qt::AlignHCenter;
    if (own.width() - left - right < widest) {
        left = 0;
        horizontal = Qt::AlignRight;
    }
    label->setContentsMargins(left, 0, right, 0);
    label->setAlignment(horizontal | (label->alignment() & Qt::AlignVertical_Mask));
}

void useTooltipColours(QWidget *widget) {
    QPalette colours = widget->palette();
    const QColor base = colours.color(QPalette::ToolTipBase);
    const QColor text = colours.color(QPalette::ToolTipText);
    // A drop-down list that cannot be typed into is drawn as a button, in
    // the button colours.
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, base);
        colours.setColor(group, QPalette::Window, base);
        colours.setColor(group, QPalette::Button, base);
        colours.setColor(group, QPalette::Text, text);
        colours.setColor(group, QPalette::WindowText, text);
        colours.setColor(group, QPalette::ButtonText, text);
    }
    colours.setColor(QPalette::Disabled, QPalette::Base, base);
    colours.setColor(QPalette::Disabled, QPalette::Window, base);
    colours.setColor(QPalette::Disabled, QPalette::Button, base);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

void showInstead(QWidget *shown, QWidget *hidden) {
    if (hidden && hidden->isVisible()) {
        QRect frame = shown->frameGeometry();
        frame.moveCenter(hidden->frameGeometry().center());
        shown->move(frame.topLeft().x() < 0 ? 0 : frame.topLeft().x(),
                    frame.topLeft().y() < 0 ? 0 : frame.topLeft().y());
    }
    shown->show();
    shown->activateWindow();
    if (hidden && hidden != shown)
        hidden->hide();
}

} // namespace dorvik::splitter
