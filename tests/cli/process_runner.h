// Runs the built dorvik-cli in a child process without a controlling
// terminal, its stdin closed or /dev/null, collects its stdout and stderr,
// and kills it when it outlives a time limit.
#pragma once

#include "tests/support/child.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace dorvik::testing {

struct CliRun {
    int status = -1; // exit status; -1 when killed by a signal or timed out
    int signal = 0;  // signal that ended it
    bool timedOut = false;
    std::string out, err;
};

enum class Stdin { Closed, DevNull };

struct CliOptions {
    Stdin stdinMode = Stdin::DevNull;
    std::vector<std::string> env;            // "NAME=value" added to the environment
    std::function<void()> inChild;           // runs in the child before exec (uid, limits)
    std::function<void(pid_t)> whileRunning; // runs in the parent once the child started
    std::chrono::seconds limit{30};
};

inline CliRun runCli(const std::vector<std::string> &args, const CliOptions &o = {}) {
    CliRun r;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return r;
    std::vector<std::string> argv{DORVIK_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> cargv;
    for (std::string &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<std::string> envStrings(o.env);
    for (char **e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    std::vector<char *> cenv;
    for (std::string &e : envStrings)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid(); // no controlling terminal: /dev/tty cannot be opened
        ::close(0);
        if (o.stdinMode == Stdin::DevNull)
            ::open("/dev/null", O_RDONLY); // the lowest free descriptor: 0
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (o.inChild)
            o.inChild();
        ::execve(cargv[0], cargv.data(), cenv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (o.whileRunning)
        o.whileRunning(pid);

    const auto deadline = std::chrono::steady_clock::now() + o.limit;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *sinks[2] = {&r.out, &r.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd &p : fds)
        if (p.fd >= 0)
            ::close(p.fd);
    const ChildEnd end = waitForChild(pid);
    r.status = end.code;
    r.signal = end.signal;
    return r;
}

} // namespace dorvik::testing
