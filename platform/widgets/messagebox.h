// The programs' modal message boxes. Windows never create a QMessageBox
// themselves: they call messageBox(), which shows a real box, or hands the
// message to the prompter a test has installed.
#pragma once

#include "platform/prompter.h"

class QWidget;

namespace dorvik::widgets {

// Shows the message modally over `parent` (may be null) and returns the
// button chosen. A message without a title of its own carries the
// application's title (QCoreApplication::applicationName()).
platform::Answer messageBox(QWidget *parent, const platform::Message &message);

// Routes every messageBox() call to `prompter` until reset with nullptr.
// Returns the prompter installed before.
platform::Prompter *installPrompter(platform::Prompter *prompter);

// A Prompter that shows real message boxes over one parent window; the
// engine's operations are given one of these by the windows.
class MessageBoxPrompter : public platform::Prompter {
public:
    explicit MessageBoxPrompter(QWidget *parent) : parent_(parent) {}
    platform::Answer ask(const platform::Message &message) override;

private:
    QWidget *parent_;
};

} // namespace dorvik::widgets
