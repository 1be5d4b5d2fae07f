// How a running split or join tells its caller how far it has come, and how
// the caller asks it to stop. Plain C++: a window, the command line or a test
// implements it.
#pragma once

#include <cstdint>
#include <string>

namespace dorvik::engine {

// What an operation is doing at the moment.
enum class Activity {
    Splitting,       // writing the pieces of a split
    CopyingToDisk,   // the floppy loop: copying one piece onto a disk
    Joining,         // rebuilding the file from its pieces
    DeletingPieces,  // a join removing its pieces (cannot be stopped)
    CopyingToTarget, // a join copying the rebuilt file into the target directory
    Checking,        // reading every piece of a set to check it, writing nothing
};

struct Progress {
    Activity activity = Activity::Splitting;
    int piece = 0;          // piece (or disk) being written, 1 to pieces; 0 before the first
    int pieces = 0;         // the piece count
    std::int64_t done = 0;  // bytes of this activity done so far
    std::int64_t total = 0; // bytes this activity moves in all
    // False from the moment a stop would no longer leave every file as it
    // was (a join deleting its pieces); a caller stops offering Cancel.
    bool cancellable = true;
    // The file copied (name only) while CopyingToTarget; empty otherwise.
    std::string file;
};

class Monitor {
public:
    virtual ~Monitor() = default;
    // Called on the operation's thread when an activity begins, when a piece
    // begins, and after every round of a copy (many times a second; the
    // monitor decides how often to show it). `done` never goes back within
    // an activity and reaches `total` when the activity completes.
    virtual void progress(const Progress &progress) = 0;
    // Polled on the operation's thread between rounds; true once the user
    // asked to stop. The operation then removes what it wrote, leaves every
    // file as it found it and ends Cancelled, without a message.
    virtual bool stopRequested() = 0;
};

} // namespace dorvik::engine
