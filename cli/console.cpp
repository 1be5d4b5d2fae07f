#include "cli/console.h"

#include "cli/stop.h"
#include "cli/system.h"

#include <cstdio>

namespace dorvik::cli {

namespace {

std::string megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string trimmed(const std::string &s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// The columns the progress line may take: all but the terminal's last, so
// that it never wraps.
std::size_t progressColumns(int fd) {
    const std::size_t width = terminalWidth(fd);
    return width > 1 ? width - 1 : 0;
}

} // namespace

Console::~Console() {
    clearProgress();
    if (c_.owned >= 0)
        closeChannel(c_.owned);
}

// A message that cannot be written has nowhere left to be told of.
void Console::message(const std::string &text) {
    clearProgress();
    (void)writeAll(c_.err, std::string(kProgram) + ": " + text + "\n");
}

void Console::question(const std::string &text) {
    clearProgress();
    (void)writeAll(canAsk() ? c_.askOut : c_.err, std::string(kProgram) + ": " + text + "\n");
}

bool Console::report(const std::string &text) {
    if (const std::string failed = writeAll(c_.out, text); !failed.empty()) {
        message("write error: " + failed);
        return false;
    }
    return true;
}

std::optional<std::string> Console::readAnswer(const std::string &prompt,
                                               const std::function<bool()> &stop) {
    if (!canAsk())
        return std::nullopt;
    clearProgress();
    writeAll(c_.askOut, prompt);
    std::string line;
    while (!(stop && stop())) {
        const std::optional<std::string> typed = readTyped(c_.askIn);
        if (!typed)
            break; // end of input, or the terminal went away
        line += *typed;
        if (const auto end = line.find('\n'); end != std::string::npos)
            return trimmed(line.substr(0, end));
    }
    // No answer: end the prompt's line so that what follows starts afresh.
    writeAll(c_.askOut, "\n");
    return std::nullopt;
}

// Where the terminal cannot erase the rest of a line (a Windows console), the
// line is overwritten with blanks to the width instead.
void Console::showProgress(const std::string &line) {
    if (!c_.errIsTerminal)
        return;
    const std::size_t columns = progressColumns(c_.err);
    const std::string_view erase = eraseToLineEnd();
    std::string shown = line.substr(0, columns);
    if (erase.empty())
        shown.resize(columns, ' ');
    writeAll(c_.err, "\r" + shown + std::string(erase));
    progressShown_ = true;
}

void Console::clearProgress() {
    if (!progressShown_)
        return;
    if (const std::string_view erase = eraseToLineEnd(); !erase.empty())
        writeAll(c_.err, "\r" + std::string(erase));
    else
        writeAll(c_.err, "\r" + std::string(progressColumns(c_.err), ' ') + "\r");
    progressShown_ = false;
}

std::string progressText(const engine::Progress &p) {
    const std::string amount = megabytes(p.done) + " of " + megabytes(p.total) + " MB";
    const std::string percent =
        p.total > 0 ? " (" + std::to_string(p.done * 100 / p.total) + "%)" : std::string();
    const std::string of = std::to_string(p.piece) + " of " + std::to_string(p.pieces);
    switch (p.activity) {
    case engine::Activity::Splitting:
        return "Splitting: piece " + of + ", " + amount + percent;
    case engine::Activity::Joining:
        return "Joining: piece " + of + ", " + amount + percent;
    case engine::Activity::CopyingToDisk:
        return "Copying to disk #" + std::to_string(p.piece) + ": " + amount + percent;
    case engine::Activity::DeletingPieces:
        return "Deleting the pieces";
    case engine::Activity::CopyingToTarget:
        return "Copying into the target directory: " + amount + percent;
    case engine::Activity::Checking:
        return "Checking: piece " + of + ", " + amount + percent;
    }
    return {};
}

void ProgressMonitor::progress(const engine::Progress &p) {
    activity_ = p.activity;
    if (quiet_)
        return;
    const auto now = std::chrono::steady_clock::now();
    const bool news =
        !last_ || last_->activity != p.activity || last_->piece != p.piece || p.done == p.total;
    if (!news && now - lastShown_ < std::chrono::milliseconds(100))
        return;
    last_ = p;
    lastShown_ = now;
    console_.showProgress(progressText(p));
}

bool ProgressMonitor::stopRequested() {
    return stopFlag_ || stopSignal() != 0;
}

} // namespace dorvik::cli
