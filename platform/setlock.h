// One run at a time per piece set: the lock a run holds while it changes
// the names of a set in a directory.
#pragma once

#include "platform/directory.h"
#include "platform/status.h"

#include <chrono>
#include <functional>
#include <string>

namespace dorvik::platform {

// Held by a run from before it moves the first older file of a set's names
// aside until the new set is in place (or every name is back as it was), and
// by a join while it deletes its pieces. Two runs that want the names of one
// set in one directory take turns; a run never waits long for another.
//
// On POSIX the lock is an flock on the directory itself, taken through a
// descriptor of its own (so every set of the directory takes turns; the
// renames it guards take milliseconds). On Windows it is a hidden file named
// after the set in the directory (".report.000.lock"), held open without
// sharing and deleted when it is closed, so also when the process dies.
// Where the file system knows no such locks (some network file systems), the
// directory cannot be opened to read (one the user may only write into), or
// the lock file cannot be made, acquire() succeeds without one, as before
// there were locks. Released when the object goes, leaving nothing behind.
class SetLock {
public:
    SetLock() = default;
    ~SetLock();
    SetLock(const SetLock &) = delete;
    SetLock &operator=(const SetLock &) = delete;

    // Takes the lock of the set named `setName` (its first piece's name) in
    // `dir`, waiting up to `patience` for a run that holds it, and asking
    // `stopRequested` (when given) between tries. Fails with "<dir>/<setName>:
    // another run is writing this piece set" when the other run keeps it, or
    // with Status::stopped() on a stop request.
    Status acquire(const Directory &dir, const std::string &setName,
                   std::chrono::milliseconds patience = std::chrono::seconds(5),
                   const std::function<bool()> &stopRequested = {});
    // True after acquire() gave up because another run kept the lock.
    bool heldElsewhere() const { return heldElsewhere_; }
    void release();

private:
    NativeHandle handle_ = -1;
    bool heldElsewhere_ = false;
};

} // namespace dorvik::platform
