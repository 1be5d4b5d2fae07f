// Outcome of a file-system call: success, or the reason it failed in the
// form "name: reason", ready to be shown to the user. A caller that drops a
// Status on purpose says why, with a (void) cast and a comment.
#pragma once

#include <string>
#include <utility>

namespace dorvik::platform {

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(std::string message) { return Status(std::move(message)); }
    // "path: strerror(errnum)".
    static Status fromErrno(const std::string &path, int errnum);
    // The user stopped the operation. Not a failure to report: the caller
    // cleans up and shows nothing.
    static Status cancelled() {
        Status s("Cancelled");
        s.cancelled_ = true;
        return s;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string &message() const { return message_; }
    bool isCancelled() const { return cancelled_; }

private:
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
    bool failed_ = false;
    bool cancelled_ = false;
    std::string message_;
};

} // namespace dorvik::platform
