// Running a test case in a child process: as an ordinary user (the suite
// runs as root in CI, where permission checks would not bite), or to watch
// it be killed.
#pragma once

#include <cstdio>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dorvik::testing {

// The unprivileged user the permission cases run as.
constexpr uid_t kNobody = 65534;
// Exit code of a child that could not become kNobody.
constexpr int kCannotDrop = 77;

// How a child ended: its exit code, or the signal that ended it.
struct ChildEnd {
    int code = -1;  // exit code; -1 when it did not exit normally
    int signal = 0; // the signal that ended it, or 0
};

// Waits for child `pid` to end and tells how it ended.
inline ChildEnd waitForChild(pid_t pid) {
    int status = 0;
    ChildEnd end;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return end;
    if (WIFEXITED(status))
        end.code = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    return end;
}

// Runs `body` in a forked child; `body`'s return value is the exit code.
inline ChildEnd runInChild(const std::function<int()> &body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return waitForChild(pid);
}

// Runs `body` in a child that has dropped to kNobody (when running as root;
// an ordinary user runs it as itself). kCannotDrop when the drop failed.
inline int runAsNobody(const std::function<int()> &body) {
    return runInChild([&] {
               if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                       ::setuid(kNobody) != 0))
                   return kCannotDrop;
               return body();
           })
        .code;
}

// Gives `path` to kNobody (when running as root) so that the child can
// write there; opens `parent` (a test's own directory) for it to pass.
inline void handToNobody(const std::string &parent, const std::string &path) {
    if (::getuid() != 0)
        return;
    // A test directory of our own; a failure shows as the child's refusal.
    if (::chmod(parent.c_str(), 0755) != 0 || ::chown(path.c_str(), kNobody, kNobody) != 0)
        std::perror(path.c_str());
}

} // namespace dorvik::testing
