// Helpers shared by split and join: the hourglass and the failure messages.
#pragma once

#include "platform/copy.h"
#include "platform/prompter.h"
#include "splitter/engine/monitor.h"

#include <functional>
#include <string>
#include <utility>

namespace dorvik::engine::detail {

// Turns the busy indicator on when made and off exactly once: at end() or,
// failing that, when the scope is left.
class BusyScope {
public:
    explicit BusyScope(std::function<void(bool)> busy) : busy_(std::move(busy)) {
        if (busy_)
            busy_(true);
    }
    ~BusyScope() { end(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

    void end() {
        if (on_ && busy_)
            busy_(false);
        on_ = false;
    }

private:
    std::function<void(bool)> busy_;
    bool on_ = true;
};

// Carries the copy rounds of one activity to the caller's monitor (if any)
// and its stop request back to the copy.
class ProgressReporter : public platform::CopyObserver {
public:
    // `stoppable` false: the activity runs to its end whatever the caller
    // asks (deleting pieces always does).
    ProgressReporter(Monitor *monitor, Activity activity, int pieces, std::int64_t total,
                     bool stoppable = true, std::string file = {})
        : monitor_(monitor) {
        state_.file = std::move(file);
        state_.activity = activity;
        state_.pieces = pieces;
        state_.total = total;
        state_.cancellable = stoppable && activity != Activity::DeletingPieces;
        tell();
    }
    // Piece (or disk) `piece` (1 to pieces) begins.
    void beginPiece(int piece) {
        state_.piece = piece;
        tell();
    }
    bool copied(std::int64_t bytes) override {
        state_.done += bytes;
        tell();
        return !stopRequested();
    }
    bool stopRequested() const {
        return monitor_ && state_.cancellable && monitor_->stopRequested();
    }

private:
    void tell() {
        if (monitor_)
            monitor_->progress(state_);
    }
    Monitor *monitor_;
    Progress state_;
};

// A failure message: title "Dorvik", critical icon, one OK button unless
// told otherwise. `reason` is "name: reason" of the failing call, `what` says
// what became of the files.
inline platform::Message failureMessage(const std::string &reason, const std::string &what,
                                        platform::Buttons buttons = platform::Buttons::Ok) {
    return {reason + "\n" + what, "Dorvik", platform::Icon::Critical, buttons};
}

// An information message with the given title and one OK button unless told
// otherwise.
inline platform::Message infoMessage(const std::string &text, const std::string &title,
                                     platform::Buttons buttons = platform::Buttons::Ok) {
    return {text, title, platform::Icon::Information, buttons};
}

} // namespace dorvik::engine::detail
