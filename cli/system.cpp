// The POSIX side of dorvik-cli: descriptors, the terminal, /dev/tty.
#include "cli/system.h"
#include "cli/console.h"
#include "cli/run.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::cli {

namespace {

std::string trimmed(const std::string &s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

} // namespace

std::vector<std::string> programArguments(int argc, char **argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string writeAll(int fd, const std::string &text) {
    std::size_t done = 0;
    while (fd >= 0 && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::optional<std::string> inputProblem(const std::string &path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return path + ": " + std::strerror(errno);
        return std::nullopt; // the operation reports it in its own words
    }
    if (!S_ISREG(st.st_mode))
        return path + ": Not a regular file";
    return std::nullopt;
}

bool openStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is `fd` itself, the ones below being open.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null < 0)
            return false;
        if (null != fd) {
            const int moved = ::dup2(null, fd);
            ::close(null);
            if (moved < 0)
                return false;
        }
    }
    return true;
}

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

void Console::showProgress(const std::string &line) {
    if (!c_.errIsTerminal)
        return;
    std::size_t width = 80;
    winsize ws = {};
    if (::ioctl(c_.err, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        width = ws.ws_col;
    std::string shown = line.substr(0, width > 1 ? width - 1 : 0);
    // Carriage return, the line, and "erase to the end of the line".
    writeAll(c_.err, "\r" + shown + "\x1b[K");
    progressShown_ = true;
}

void Console::clearProgress() {
    if (!progressShown_)
        return;
    writeAll(c_.err, "\r\x1b[K");
    progressShown_ = false;
}

} // namespace dorvik::cli
