// The stages that split and join are made of, in the order the two drivers
// (split and join in operations.h) run them. Each stage either lets its
// operation go on or ends it with a Stop; a stage never shows the failure
// message itself (the driver does, in the order the operation's messages
// keep), except where its contract says so.
#pragma once

#include "platform/fs.h"
#include "platform/prompter.h"
#include "splitter/engine/checksums.h"
#include "splitter/engine/format.h"
#include "splitter/engine/monitor.h"
#include "splitter/engine/operations.h"

#include <optional>
#include <string>
#include <vector>

namespace dorvik::engine::stages {

// How a stage ended its operation.
struct Stop {
    Outcome outcome = Outcome::Failed;
    // "name: reason" and what became of the files, for the failure message;
    // both empty when nothing is to be shown (a Cancel, or a stage that told
    // the user itself).
    std::string reason;
    std::string consequence;
    // A failure is critical; a set whose checksums do not match is refused
    // as information: the program did nothing wrong, the pieces are damaged.
    platform::Icon icon = platform::Icon::Critical;
};

// ---- split -----------------------------------------------------------------------

// What a split has settled once its checks passed.
struct SplitPlan {
    std::string source;             // the source's full path
    platform::File in;              // the source, open for reading
    Layout layout;                  // L, N, B, b, P, R
    std::string baseName;           // the source name less its last three characters
    std::string trailerBytes;       // what follows the first piece's data
    std::string target;             // the directory field's text
    std::string shortTarget;        // the same, as it is shown afterwards
    std::vector<std::string> names; // names of pieces 0 to N - 1 (no directory)
    std::string rebuiltName;        // what a join of the set rebuilds (no directory)
    std::string checksumName;       // the set's checksum file (no directory)
    bool checksums = true;          // whether the split writes it
};

// Check: everything a split can know before it writes, in this order: a
// missing or unreadable source, or one that is no regular file (Failed; the
// source is opened without waiting, so a named pipe cannot hold the run up),
// a count outside 2 to 99 (Refused), pieces under 30000 bytes (the message
// "The splitted file can´t be less then 30 Kb.", title "dorvik", shown here
// while busy; Refused), a name of fewer than three characters or a suffix
// outside Latin-1 (Refused), a piece that would replace the source or a
// directory in a piece's place (Refused), then the floppy-size warning above
// an average of 1400000 bytes (shown here; Cancel gives Cancelled with
// nothing to show). Sets result.suffix as soon as the source path is known.
// Writes nothing.
std::optional<Stop> checkSplit(const SplitRequest &request, platform::Prompter &prompter,
                               SplitResult &result, SplitPlan &plan);

// Room: after every check and question of checkSplit, before anything is
// written: the whole new set (older pieces of the same names stay until it
// is in place) and kSetAllowance bytes against the target's volume. A piece
// larger than the file system there holds is refused, naming the piece and
// the limit (Refused; the driver shows it); too little free space is a
// warning (title "Dorvik", information icon, OK/Cancel, shown here): Cancel
// gives Cancelled with nothing to show. Writes nothing.
std::optional<Stop> checkSplitRoom(const SplitPlan &plan, platform::Prompter &prompter);

// Room beside a set, for the small files that travel with its pieces.
constexpr std::int64_t kSetAllowance = 16 * 1024;

// Lay out: makes the target directory (one level; an existing one is no
// failure) and opens it; every later stage writes, renames and removes
// through this handle only. Sets result.targetDirectory. Failed when the
// target is no directory afterwards; nothing was written.
std::optional<Stop> layOutSplit(SplitPlan &plan, platform::Directory &target, SplitResult &result);

// Write: writes every piece, the first with its trailer, as a NewFile in
// `target` (each locked against removeLeftovers while it is written; the
// leftovers of killed runs under the pieces' names are removed first), and,
// when the plan says so, the set's checksum file last: the SHA-256 of every
// piece as written and of the whole source, computed on a thread of its own
// from what each copy round has just written. Progress goes to
// `monitor` (activity Splitting); a stop request ends the stage Cancelled.
// On a failure or a stop every temporary is gone and no file of the set's
// names was touched. The files are not flushed: until they are put in place
// they are nobody's data, and afterwards the source still exists.
std::optional<Stop> writePieces(SplitPlan &plan, const platform::Directory &target,
                                platform::CopyMethod method, Monitor *monitor,
                                std::vector<platform::NewFile> &pieces);

// Put in place: under the set's lock (platform::SetLock: a run that holds it
// is waited for a few seconds, then the split is refused with "another run
// is writing this piece set" and its files removed), gives the written
// files their names as one set (platform::putInPlaceTogether): the older
// first piece goes first and the new first piece comes last, after the
// checksum file, so a crash half-way leaves the older set with its checksum
// file, the new set with its own, or a set that a join refuses. An older
// checksum file that a split without one leaves over goes with the older
// set. A failing rename puts every older file back as it was. Failed with
// the reason; the temporaries are gone.
std::optional<Stop> putPiecesInPlace(const SplitPlan &plan, const platform::Directory &target,
                                     Monitor *monitor, std::vector<platform::NewFile> &pieces);

// Copy to disks: for disk i = 1 to N, the prompt "Insert disk #i" (title
// "Dorvik"), then piece i - 1 copied onto the disk (findDisk) under its own
// name (the first disk also gets the checksum file, when the set has one)
// and flushed there (the file and the directory) before the next prompt, so
// the disk can be taken out when asked for the next. A file larger than the
// disk's file system holds, or than its free space, is not copied; that, a
// failed copy or a failed flush is reported with the file and the reason
// (Retry/Cancel): Retry looks for the disk and copies again, Cancel skips
// what is left for the disk. A stop request (activity
// CopyingToDisk) removes the disk's half copy and ends the loop: false.
// The set in the target directory stays in every case. `piecesSkipped`
// counts the pieces that did not reach their disk (not the checksum file).
bool copyToDisks(const SplitRequest &request, const SplitPlan &plan,
                 const platform::Directory &target, platform::Prompter &prompter,
                 int &piecesSkipped);

// The directory of the disk that piece `name` goes to: the request's disk
// directory when it has one; else the removable disk mounted now
// (platform::findRemovableDisk). None or several: the message "No removable
// disk is mounted." or "Several removable disks are mounted: A, B." (title
// "Dorvik", information icon, Retry/Cancel): Retry looks again, Cancel skips
// the piece (nullopt).
std::optional<std::string> findDisk(const SplitRequest &request, const std::string &name,
                                    platform::Prompter &prompter);

// Whether a piece of `length` bytes can go to `dest` on a disk: a failure
// "dest: reason" when the disk's file system cannot hold a file that large
// or has less free space.
platform::Status roomOnDisk(const std::string &dest, std::int64_t length);

// ---- join ------------------------------------------------------------------------

// Validate: checkSet (operations.h), then the set's checksum file
// (readSetChecksums): one that cannot be read, is none, or is another set's
// ends the join Refused (information icon) before anything is written.
std::optional<Stop> validateChecksums(const PieceSet &set, SetChecksums &checksums);

// Room: after checkSet, before anything is written: the rebuilt file beside
// the pieces and, when `copyTarget` is not empty (the directory the join
// copies into), its copy there, which needs the file's length again on the
// target's volume, the same volume too unless `deletePieces` frees as much
// first. A file larger than its file system holds is refused (Refused,
// naming it and the limit); too little free space is a warning as for the
// split (Cancel: Cancelled, nothing to show). Writes nothing.
std::optional<Stop> checkJoinRoom(const PieceSet &set, const std::string &copyTarget,
                                  bool deletePieces, platform::Prompter &prompter);

// Rebuild: writes the file of `set` as a NewFile in the pieces' directory
// `dir`, checks its length against N * P + E and, when `checksums` are
// usable, the SHA-256 of every piece and of the file, both from the file as
// written (hashed on a thread of its own while the copy goes on), and only then
// puts it in place, replacing a file of that name once every piece has been
// read. A mismatch ends the join Refused (information icon) naming the
// damaged piece. With Flush::Durable the file and its directory entry are on
// the device before this returns (the join asks for it when pieces are to be
// deleted next). A failure (Failed), a mismatch or a stop request
// (Cancelled, activity Joining) removes the temporary and leaves the pieces
// and an older file of the rebuilt name untouched. `read` receives the
// identity of every piece as it was read.
std::optional<Stop> rebuild(const PieceSet &set, const SetChecksums &checksums,
                            const platform::Directory &dir, platform::Flush flush,
                            platform::CopyMethod method, Monitor *monitor,
                            std::vector<platform::FileId> &read);

// Delete: under the set's lock, removes pieces 0 to N - 1 from `dir` and the
// set's checksum file, each only while it is still the file the rebuild read
// (`read`; another run may have replaced the set meanwhile), never the
// rebuilt file (a rebuilt name equal to a piece name keeps that name). A
// piece that cannot be removed stays, silently, as do all of them when
// another run keeps the lock. Cannot be stopped (activity DeletingPieces,
// not cancellable). Call only after a durable rebuild.
void deletePieces(const PieceSet &set, const SetChecksums &checksums,
                  const std::vector<platform::FileId> &read, const platform::Directory &dir,
                  Monitor *monitor);

// Copy to target: makes `target` (one level) and copies the rebuilt file
// into it under its own name (`shortTarget` + name), activity
// CopyingToTarget. The copy is not flushed: the rebuilt file beside the
// pieces is the join's result and stays in every case. A stop request
// removes the half copy and returns Status::stopped(); an older file of
// the rebuilt name beside the pieces that the rebuild replaced is not
// brought back (the rebuilt file is complete and checked, and the user
// stopped only the copy). With `stoppable` false (the pieces are gone, so the
// join can no longer leave everything as it was) the copy runs to its end.
platform::Status copyToTarget(const PieceSet &set, const std::string &target,
                              const std::string &shortTarget, platform::CopyMethod method,
                              Monitor *monitor, bool stoppable);

} // namespace dorvik::engine::stages
