// Writing a run's new files out to their disk while the run goes on with
// other work, so that the flush after it (its own, or the system's) finds
// little left to do.
#pragma once

#include "platform/file.h"
#include "platform/status.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace dorvik::platform {

// Flushes the data of the files handed to follow() on a thread of its own,
// in order: a file with a newer one behind it once more (it is complete) and
// then no more, the newest each time enough was written to it. Only the
// data: a file's name and its directory are the run's to flush.
//
// The writer tells of what it wrote (wrote()) and keeps up (keepUp()): it
// never runs more than about 50 ms of the disk's measured
// speed ahead of the flushes. So a slow disk sets the pace (the progress
// shown is what is on the disk), and what a stopped run leaves in flight is
// small.
//
// A flush that fails is the only report of that write error the system may
// give: finish() reports it, and the run must fail with it.
class Writeback {
public:
    // `stopRequested`, asked while keepUp() or finish() wait, ends the wait.
    explicit Writeback(std::function<bool()> stopRequested = {});
    // abandon() unless finish() was called.
    ~Writeback();
    Writeback(const Writeback &) = delete;
    Writeback &operator=(const Writeback &) = delete;

    // Flushes `file` from now on, after the files handed in before it; the
    // thread starts at the first call. It flushes through a handle of its
    // own, so `file` may be closed at any time.
    void follow(const File &file);
    // `bytes` more were written to the newest file.
    void wrote(std::int64_t bytes);
    // Waits while the flushes are too far behind; false when the stop request
    // ended the wait.
    bool keepUp();
    // Flushes every file once more, waits for that and ends the thread. A
    // failed flush comes back as "name: reason"; when the stop request ends
    // the wait, Status::stopped() after abandon().
    Status finish();
    // Returns at once; a flush under way ends on its own and lets go of its
    // handle, nothing more is flushed or reported.
    void abandon();

private:
    struct Shared;
    std::function<bool()> stopRequested_;
    std::shared_ptr<Shared> shared_;
};

} // namespace dorvik::platform
