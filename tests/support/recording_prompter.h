// Test stand-in for the message boxes: records every message and answers
// from a queue (when it is empty: OK, Yes, or Cancel for Retry/Cancel).
#pragma once

#include "platform/prompter.h"

#include <deque>
#include <functional>
#include <vector>

namespace dorvik::testing {

class RecordingPrompter : public platform::Prompter {
public:
    std::vector<platform::Message> messages;
    std::deque<platform::Answer> answers;
    // Called for each message before it is answered (may act on the world,
    // e.g. insert the next "disk").
    std::function<void(const platform::Message &)> onMessage;

    platform::Answer ask(const platform::Message &message) override {
        messages.push_back(message);
        if (onMessage)
            onMessage(message);
        if (!answers.empty()) {
            platform::Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (message.buttons) {
        case platform::Buttons::Ok:
        case platform::Buttons::OkCancel:
            return platform::Answer::Ok;
        case platform::Buttons::YesNo:
            return platform::Answer::Yes;
        case platform::Buttons::RetryCancel:
            return platform::Answer::Cancel; // never loops on a forgotten answer
        }
        return platform::Answer::Ok;
    }
};

} // namespace dorvik::testing
