#include "platform/widgets/messagebox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

namespace dorvik::widgets {

namespace {

platform::Prompter *g_prompter = nullptr;

QMessageBox::Icon toQt(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::None:
        return QMessageBox::NoIcon;
    case platform::Icon::Information:
        return QMessageBox::Information;
    case platform::Icon::Question:
        return QMessageBox::Question;
    case platform::Icon::Exclamation:
        return QMessageBox::Warning;
    case platform::Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

platform::Prompter *installPrompter(platform::Prompter *prompter) {
    platform::Prompter *before = g_prompter;
    g_prompter = prompter;
    return before;
}

platform::Answer messageBox(QWidget *parent, const platform::Message &message) {
    if (g_prompter)
        return g_prompter->ask(message);

    const QString title = message.title ? QString::fromStdString(*message.title)
                                        : QCoreApplication::applicationName();
    QMessageBox box(toQt(message.icon), title, QString::fromStdString(message.text),
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    switch (message.buttons) {
    case platform::Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case platform::Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case platform::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case platform::Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return platform::Answer::Ok;
    case QMessageBox::Yes:
        return platform::Answer::Yes;
    case QMessageBox::No:
        return platform::Answer::No;
    case QMessageBox::Retry:
        return platform::Answer::Retry;
    default:
        // Escape or the close box: the box's "no" answer.
        switch (message.buttons) {
        case platform::Buttons::Ok:
            return platform::Answer::Ok;
        case platform::Buttons::YesNo:
            return platform::Answer::No;
        default:
            return platform::Answer::Cancel;
        }
    }
}

platform::Answer MessageBoxPrompter::ask(const platform::Message &message) {
    return messageBox(parent_, message);
}

} // namespace dorvik::widgets
