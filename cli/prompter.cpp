#include "cli/prompter.h"

#include "cli/stop.h"

#include <algorithm>
#include <cctype>

namespace dorvik::cli {

namespace {

using platform::Answer;
using platform::Buttons;

bool startsWith(const std::string &s, const char *prefix) {
    return s.rfind(prefix, 0) == 0;
}
bool endsWith(const std::string &s, const std::string &end) {
    return s.ends_with(end);
}

bool isSuccess(const platform::Message &m) {
    return m.buttons == Buttons::Ok && (endsWith(m.text, "\n is successfully splitted!") ||
                                        endsWith(m.text, "\n is successfully joined!"));
}

bool isDiskPrompt(const platform::Message &m) {
    return m.buttons == Buttons::Ok && startsWith(m.text, "Insert disk #");
}

bool isSizeWarning(const platform::Message &m) {
    return m.buttons == Buttons::OkCancel &&
           startsWith(m.text, "The files will be larger than 1,4 Mb,");
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The answer a button set gives when nobody says yes.
Answer refusal(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
        break;
    }
    return Answer::Cancel;
}

} // namespace

Answer CliPrompter::ask(const platform::Message &m) {
    if (isSuccess(m)) {
        if (!policy_.quiet)
            console_.message(m.text);
        return Answer::Ok;
    }
    if (isSizeWarning(m) && !policy_.floppy)
        return Answer::Ok;
    const bool disk = isDiskPrompt(m);
    if (m.buttons == Buttons::Ok && !disk) {
        console_.message(m.text);
        return Answer::Ok;
    }

    if (m.buttons == Buttons::RetryCancel) {
        if (console_.canAsk())
            return askOnTerminal(m, disk);
        console_.message(m.text);
        console_.message("no terminal to answer Retry on: the piece is skipped.");
        return Answer::Cancel;
    }
    if (policy_.yes) {
        console_.message(m.text);
        return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    if (console_.canAsk())
        return askOnTerminal(m, disk);
    console_.message(m.text);
    console_.message("this needs an answer, and there is no terminal to ask on; "
                     "give --yes to answer OK.");
    state_.unanswered = true;
    state_.stop = true;
    return refusal(m.buttons);
}

Answer CliPrompter::askOnTerminal(const platform::Message &m, bool disk) {
    console_.question(m.text);
    const auto stop = [] { return stopSignal() != 0; };
    for (;;) {
        std::string prompt;
        switch (m.buttons) {
        case Buttons::Ok:
            prompt = disk ? "Press Enter when the disk is in (Ctrl+C stops): "
                          : "Press Enter to go on: ";
            break;
        case Buttons::OkCancel:
            prompt = "Go on? [o]k / [c]ancel: ";
            break;
        case Buttons::YesNo:
            prompt = "[y]es / [n]o: ";
            break;
        case Buttons::RetryCancel:
            prompt = "[r]etry / [c]ancel (skip this piece): ";
            break;
        }
        const std::optional<std::string> line = console_.readAnswer(prompt, stop);
        if (!line) {
            if (m.buttons == Buttons::Ok)
                state_.stop = true;
            return refusal(m.buttons);
        }
        const std::string a = lower(*line);
        switch (m.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            if (a == "o" || a == "ok" || a == "y" || a == "yes")
                return Answer::Ok;
            if (a == "c" || a == "cancel" || a == "n" || a == "no")
                return Answer::Cancel;
            break;
        case Buttons::YesNo:
            if (a == "y" || a == "yes")
                return Answer::Yes;
            if (a == "n" || a == "no")
                return Answer::No;
            break;
        case Buttons::RetryCancel:
            if (a == "r" || a == "retry")
                return Answer::Retry;
            if (a == "c" || a == "cancel" || a == "s" || a == "skip")
                return Answer::Cancel;
            break;
        }
    }
}

} // namespace dorvik::cli
