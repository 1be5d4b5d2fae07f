#include "cli/console.h"

#include "cli/stop.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dorvik::cli {

namespace {

// Writes all of `text`; 0, or the errno of the write that failed (the rest
// is dropped).
int writeAll(int fd, const std::string &text) {
    std::size_t done = 0;
    while (fd >= 0 && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

std::string trimmed(const std::string &s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

Console::~Console() {
    clearProgress();
    if (c_.owned >= 0)
        ::close(c_.owned);
}

Console::Channels Console::processChannels() {
    Channels c;
    c.errIsTerminal = ::isatty(2) == 1;
    const bool inIsTerminal = ::isatty(0) == 1;
    int tty = -1;
    if (!inIsTerminal || !c.errIsTerminal) {
        tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (tty >= 0 && ::isatty(tty) != 1) {
            ::close(tty);
            tty = -1;
        }
    }
    c.owned = tty;
    if (inIsTerminal) {
        c.askIn = 0;
        c.askOut = c.errIsTerminal ? 2 : (tty >= 0 ? tty : 2);
    } else if (tty >= 0) {
        c.askIn = tty;
        c.askOut = tty;
    }
    return c;
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

std::optional<std::string> Console::readAnswer(const std::string &prompt,
                                               const std::function<bool()> &stop) {
    if (!canAsk())
        return std::nullopt;
    clearProgress();
    writeAll(c_.askOut, prompt);
    std::string line;
    for (;;) {
        if (stop && stop())
            break;
        pollfd p = {c_.askIn, POLLIN, 0};
        const int ready = ::poll(&p, 1, 200);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        if (ready == 0)
            continue;
        char ch;
        const ssize_t n = ::read(c_.askIn, &ch, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break; // end of input, or the terminal went away
        if (ch == '\n')
            return trimmed(line);
        line += ch;
    }
    // No answer: end the prompt's line so that what follows starts afresh.
    writeAll(c_.askOut, "\n");
    return std::nullopt;
}

bool Console::report(const std::string &text) {
    if (const int err = writeAll(c_.out, text)) {
        message(std::string("write error: ") + std::strerror(err));
        return false;
    }
    return true;
}

void Console::showProgress(const std::string &line) {
    if (!c_.errIsTerminal)
        return;
    std::size_t width = 80;
    winsize ws = {};
    if (::ioctl(c_.err, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        width = ws.ws_col;
    std::string shown = line.substr(0, width > 1 ? width - 1 : 0);
    // Carriage return, the line, and "erase to the end of the line"; a
    // progress line that cannot be shown is no failure of the run.
    (void)writeAll(c_.err, "\r" + shown + "\x1b[K");
    progressShown_ = true;
}

void Console::clearProgress() {
    if (!progressShown_)
        return;
    writeAll(c_.err, "\r\x1b[K");
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
