// Helpers shared by split and join: the hourglass and the failure messages.
#pragma once

#include "platform/prompter.h"

#include <functional>
#include <string>
#include <utility>

namespace dorvik::engine::detail {

// Turns the busy indicator on when made and off exactly once: at end() or,
// failing that, when the scope is left.
class BusyScope {
public:
    explicit BusyScope(std::function<void(bool)> busy) : busy_(std::move(busy)) {
        if (busy_)
            busy_(true);
    }
    ~BusyScope() { end(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

    void end() {
        if (on_ && busy_)
            busy_(false);
        on_ = false;
    }

private:
    std::function<void(bool)> busy_;
    bool on_ = true;
};

// A failure message: title "Dorvik", critical icon, one OK button unless
// told otherwise. `reason` is "name: reason" of the failing call, `what` says
// what became of the files.
inline platform::Message failureMessage(const std::string &reason, const std::string &what,
                                        platform::Buttons buttons = platform::Buttons::Ok) {
    return {reason + "\n" + what, "Dorvik", platform::Icon::Critical, buttons};
}

// An information message with the given title and one OK button unless told
// otherwise.
inline platform::Message infoMessage(const std::string &text, const std::string &title,
                                     platform::Buttons buttons = platform::Buttons::Ok) {
    return {text, title, platform::Icon::Information, buttons};
}

} // namespace dorvik::engine::detail
