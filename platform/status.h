// Outcome of a file-system call: success, a failure with its reason in the
// form "name: reason", ready to be shown to the user, or a stop the user
// asked for. A caller that drops a Status on purpose says why, with a (void)
// cast and a comment.
#pragma once

#include <string>
#include <utility>

namespace dorvik::platform {

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(std::string message) { return Status(State::Failed, std::move(message)); }
    // "path: strerror(errnum)".
    static Status fromErrno(const std::string &path, int errnum);
    // The user asked to stop. Neither success nor a failure: there is no
    // reason to show, and the caller removes what it wrote and ends quietly.
    static Status stopped() { return Status(State::Stopped, {}); }

    // Success only; a failure and a stop are both not ok.
    bool ok() const { return state_ == State::Ok; }
    explicit operator bool() const { return ok(); }
    bool failed() const { return state_ == State::Failed; }
    bool isStopped() const { return state_ == State::Stopped; }
    // The reason of a failure; empty for success and for a stop.
    const std::string &message() const { return message_; }

private:
    enum class State { Ok, Failed, Stopped };
    Status(State state, std::string message) : state_(state), message_(std::move(message)) {}
    State state_ = State::Ok;
    std::string message_;
};

} // namespace dorvik::platform
