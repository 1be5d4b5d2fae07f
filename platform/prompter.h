// The one seam through which every modal question and message of the
// programs goes. The windows answer it with real message boxes; tests answer
// it with a recorder.
#pragma once

#include <optional>
#include <string>

namespace dorvik::platform {

enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Buttons { Ok, OkCancel, YesNo, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

struct Message {
    std::string text;                 // lines broken by '\n'
    std::optional<std::string> title; // nullopt: the application's own title
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::Ok;

    bool operator==(const Message &) const = default;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows the message modally and returns the button chosen.
    virtual Answer ask(const Message &message) = 0;
};

} // namespace dorvik::platform
