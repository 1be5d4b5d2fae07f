// Runs the built dorvik-cli as a script would: in a child process without a
// controlling terminal and with stdin closed, its stdout and stderr kept in
// memory files.
#pragma once

#include "tests/support/child.h"

#include <functional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace dorvik::testing {

struct CliRun {
    int status = -1; // exit status; -1 when a signal ended it
    int signal = 0;  // the signal that ended it (SIGALRM: it outlived a minute)
    std::string out, err;
};

// The bytes written into the memory file `fd`.
inline std::string memoryFileText(int fd) {
    std::string s(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
    return ::pread(fd, s.data(), s.size(), 0) == static_cast<ssize_t>(s.size()) ? s : "(unread)";
}

// Runs the program `argv[0]` (looked up on PATH unless it is a path) with
// `argv` and tells how it ended and what it wrote. `inChild` runs in the
// child before exec (a limit); `whileRunning` in the parent once the child
// started (a signal to send). `seconds` ends a hang.
inline CliRun runCommand(std::vector<std::string> argv, const std::function<void()> &inChild = {},
                         const std::function<void(pid_t)> &whileRunning = {},
                         unsigned seconds = 60) {
    std::vector<char *> args;
    for (std::string &a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    const int out = ::memfd_create("out", MFD_CLOEXEC), err = ::memfd_create("err", MFD_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid(); // no controlling terminal: /dev/tty cannot be opened
        ::close(0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::alarm(seconds); // kept across exec
        if (inChild)
            inChild();
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    if (whileRunning)
        whileRunning(pid);
    const ChildEnd end = waitForChild(pid);
    CliRun r{end.code, end.signal, memoryFileText(out), memoryFileText(err)};
    ::close(out);
    ::close(err);
    return r;
}

// Runs dorvik-cli with `args`; a minute ends a hang.
inline CliRun runCli(std::vector<std::string> args, const std::function<void()> &inChild = {},
                     const std::function<void(pid_t)> &whileRunning = {}) {
    args.insert(args.begin(), DORVIK_CLI_PATH);
    return runCommand(std::move(args), inChild, whileRunning);
}

} // namespace dorvik::testing
