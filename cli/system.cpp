// The POSIX side of dorvik-cli: descriptors, the terminal, /dev/tty.
#include "cli/system.h"
#include "cli/console.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::cli {

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

void closeChannel(int fd) {
    ::close(fd);
}

std::optional<std::string> readTyped(int fd) {
    pollfd p = {fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 200);
    if (ready < 0 && errno == EINTR)
        return std::string();
    if (ready < 0)
        return std::nullopt;
    if (ready == 0)
        return std::string();
    char ch;
    const ssize_t n = ::read(fd, &ch, 1);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return std::string();
    if (n <= 0)
        return std::nullopt; // end of input, or the terminal went away
    return std::string(1, ch);
}

std::size_t terminalWidth(int fd) {
    winsize ws = {};
    if (::ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

std::string_view eraseToLineEnd() {
    return "\x1b[K";
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

} // namespace dorvik::cli
