// Where dorvik-cli talks to the user: messages and the progress line on
// stderr, questions on the terminal, reports on stdout.
#pragma once

#include "splitter/engine/monitor.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace dorvik::cli {

// The program name that starts every message.
inline constexpr char kProgram[] = "dorvik-cli";

class Console {
public:
    struct Channels {
        int out = 1;                // reports (check)
        int err = 2;                // messages, and the progress line
        bool errIsTerminal = false; // the progress line is shown only then
        int askIn = -1;             // answers are read here; -1: no terminal
        int askOut = -1;            // questions are written here
        int owned = -1;             // a descriptor opened for us (/dev/tty), closed at the end
    };

    explicit Console(const Channels &channels) : c_(channels) {}
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    // The process's own channels: stdout, stderr, and as terminal stdin when
    // it is one (questions then go to stderr), else the controlling terminal
    // (/dev/tty) when there is one, else none.
    static Channels processChannels();

    bool canAsk() const { return c_.askIn >= 0; }

    // "dorvik-cli: " + text + line feed on stderr; the text's own line feeds
    // are kept. The progress line is cleared first.
    void message(const std::string &text);

    // Like message(), but where questions go (the terminal that answers).
    void question(const std::string &text);

    // Writes `prompt` to the terminal and reads one line (without its line
    // feed, trimmed of blanks). Nullopt without a terminal, at end of input,
    // on a read error, or once `stop` returns true (checked several times a
    // second while waiting).
    std::optional<std::string> readAnswer(const std::string &prompt,
                                          const std::function<bool()> &stop);

    // Writes text to stdout as it is. A failed write is told on stderr
    // ("write error: reason") and gives false.
    bool report(const std::string &text);

    // Replaces the progress line by `line` (cut to the terminal's width).
    // Nothing when stderr is no terminal.
    void showProgress(const std::string &line);
    // Removes the progress line, if one is shown.
    void clearProgress();

private:
    Channels c_;
    bool progressShown_ = false;
};

// One line telling how far an operation has come.
std::string progressText(const engine::Progress &progress);

// Carries the engine's progress to the console's progress line (at most ten
// times a second, and at every new activity or piece; never with `quiet`),
// and its stop requests from a signal or from `stopFlag`.
class ProgressMonitor : public engine::Monitor {
public:
    ProgressMonitor(Console &console, bool quiet, const bool &stopFlag)
        : console_(console), quiet_(quiet), stopFlag_(stopFlag) {}
    void progress(const engine::Progress &progress) override;
    bool stopRequested() override;
    // The activity the operation reported last; nullopt before the first.
    std::optional<engine::Activity> lastActivity() const { return activity_; }

private:
    Console &console_;
    bool quiet_;
    const bool &stopFlag_;
    std::optional<engine::Activity> activity_;
    std::optional<engine::Progress> last_;
    std::chrono::steady_clock::time_point lastShown_;
};

} // namespace dorvik::cli
