// Split and join: the two operations of the splitter, without any window.
// Every question and message goes through a platform::Prompter; what the
// main window has to show afterwards comes back in the result.
#pragma once

#include "platform/fs.h"
#include "platform/prompter.h"
#include "splitter/engine/monitor.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dorvik::engine {

// How an operation ended.
enum class Outcome {
    Done,      // finished; its success message was shown
    Refused,   // stopped before writing anything, after a message
    Cancelled, // the user chose Cancel, or stopped the run; what it wrote is gone
    Failed,    // a file operation failed; reported, half-written files removed
};

struct SplitRequest {
    // File field: full path of the source. Its name and directory are taken
    // from it, so no other record of the choice can disagree with it.
    std::string sourcePath;
    std::string targetDirectory; // directory field
    int pieces = 2;              // piece count, 2 to 99
    bool copyToFloppy = false;   // the floppy option
    std::string floppyDirectory; // where the disks are mounted ("" = platform's)
    // Whether a checksum file is written beside the pieces (and onto the
    // first disk): the SHA-256 of every piece and of the source, which a join
    // verifies before it writes or deletes anything.
    bool checksums = true;
    // Auto: splice through the program's own pipe in rounds aligned to the
    // file being written, the kernel's copy and then the block buffer where
    // that is refused (holes of a sparse source stay holes); Buffered: the
    // block buffer in the same rounds; Splice and Kernel force one path.
    platform::CopyMethod copyMethod = platform::CopyMethod::Auto;
    std::function<void(bool)> busy; // hourglass on (true) / off (false)
    Monitor *monitor = nullptr;     // progress and stop requests; none when null
};

// The caller writes every field that is set back into its window, whatever
// the outcome (the suffix is set even when the split ends early).
struct SplitResult {
    Outcome outcome = Outcome::Refused;
    int piecesNotOnDisks = 0;                   // pieces the disk loop was told to skip (Cancel)
    std::optional<std::string> suffix;          // new text of the suffix field
    std::optional<std::string> targetDirectory; // new text of the directory field
};

// split: cuts request.sourcePath into request.pieces pieces in
// request.targetDirectory and, on request, copies them to floppy disks. A
// short driver of the stages in stages.h: check, lay out, write, put in
// place, copy to disks.
//
// The source is identified by its full path alone: its name (for the base
// name) and its directory are taken from sourcePath. The working directory is
// never changed.
//
// Checks (stages::checkSplit) end the run before anything is written. The
// target directory is then made (one level) and opened; everything the run
// writes, renames and removes stays in the directory opened then. Every piece
// is written under a locked temporary name, the first one with its trailer;
// only when the whole set is complete are they put in place as one set. A
// failing open, copy, write, close or rename removes every file this run
// wrote, leaves every older file of the pieces' names exactly as it was,
// reports "name: reason" and shows no success message (Failed). A stop
// request while the pieces are written removes them and ends Cancelled,
// without a message; during the floppy loop it removes the disk's half copy
// and ends Cancelled (the set in the target directory stays).
//
// busy(true) comes first; busy(false) comes after the messages of the 30 Kb
// refusal and the size warning, before every other message, and before the
// success message "<source>\n is successfully splitted!" (title "Dorvik ").
// result.suffix is set once the source path has been read, and
// result.targetDirectory once the target has been made.
SplitResult split(const SplitRequest &request, platform::Prompter &prompter);

// The piece count the file chooser proposes for a file of `length` bytes: as
// many pieces as floppy disks the file needs. Nullopt when that count lies
// outside 2 to 99 (the chooser then leaves the count as it was).
std::optional<int> suggestedPieces(std::int64_t length);

// The piece count for pieces of at most `limit` bytes each: the smallest
// count from 2 to 99 whose largest file (the first piece with its trailer,
// or the last with its tail bytes) has at most `limit` bytes. When no count
// does, `pieces` is empty and `smallestLimit` is the smallest limit some
// count meets. A file too small for two pieces of 30000 bytes gets 2 (the
// split then refuses it as it refuses every such file).
struct CountForSize {
    std::optional<int> pieces;
    std::int64_t smallestLimit = 0;
};
CountForSize piecesForSize(std::int64_t length, std::int64_t limit);

struct JoinResult;

struct JoinRequest {
    // File field: full path of the first piece; the pieces' directory and
    // names are taken from it likewise.
    std::string firstPiecePath;
    std::string targetDirectory; // directory field
    bool deletePieces = false;   // the delete option
    platform::CopyMethod copyMethod = platform::CopyMethod::Auto;
    std::function<void(bool)> busy;
    // Called once the file is rebuilt, before the last message (the success
    // message, or the report of a failed copy into the target directory),
    // with the result as it will be returned: the window empties its fields
    // and disables Join behind that message.
    std::function<void(const JoinResult &)> finished;
    Monitor *monitor = nullptr; // progress and stop requests; none when null
};

// The caller applies every field whatever the outcome: a join whose copy
// into the target directory failed is Failed but has rebuilt the file (and
// may have deleted the pieces), so clearFields and disableJoin are set then.
struct JoinResult {
    Outcome outcome = Outcome::Refused;
    std::optional<std::string> count;           // new text of the count field
    std::optional<std::string> suffix;          // new text of the suffix field
    std::optional<std::string> targetDirectory; // new text of the directory field
    bool clearFields = false;                   // empty file and directory fields
    bool disableJoin = false;                   // disable the Join button
};

// join: rebuilds the file a split cut into the set whose first piece is
// request.firstPiecePath, in that piece's directory. A short driver of the
// stages in stages.h: validate (checkSet), rebuild, delete, copy to target.
//
// The piece is identified by its full path alone: its directory and name are
// taken from firstPiecePath. The working directory is never changed.
//
// A path whose last character is not "0" gets "You have to select an *.000
// file." (title "Dorvik") before anything else, busy is not touched. Then,
// before anything is written, the whole set is validated (checkSet) and each
// fault refused with a message naming the file. result.count and
// result.suffix are set once the trailer is read.
//
// The rebuilt file (base name + suffix, in the pieces' directory) is written
// under a temporary name, its length checked against N * P + E, and put in
// place; so a rebuilt name equal to a piece name replaces that piece only
// after every piece has been read. A failure on the way removes the
// temporary file and leaves the pieces untouched (Failed); a stop request
// likewise, Cancelled without a message.
//
// With deletePieces the rebuilt file and its directory entry are flushed to
// the device first (a failing flush fails the join, and no piece is
// deleted); then the pieces are deleted (never the rebuilt file; a piece
// that cannot be deleted stays, silently), and a stop is no longer honoured.
// Without deletePieces nothing is flushed: the pieces remain. When the target
// directory is not the pieces' directory (by file identity), the rebuilt file
// is copied there; a failed copy is reported (Failed, with clearFields and
// disableJoin set, since the rebuilt file exists and the pieces may be gone);
// a stop removes the half copy and ends Cancelled (the rebuilt file stays
// beside the pieces). Otherwise busy(false) and "<rebuilt path>\n is
// successfully joined!" (title "Dorvik "), Done, with clearFields and
// disableJoin set.
JoinResult join(const JoinRequest &request, platform::Prompter &prompter);

// A piece set as the join finds it before it writes anything.
struct PieceSet {
    std::string countText;           // the count as the trailer stores it
    int count = 0;                   // N
    std::string suffix;              // name suffix from the trailer (UTF-8)
    std::int64_t pieceSize = 0;      // P, data bytes of every piece
    std::int64_t blockSize = 0;      // b
    std::vector<std::string> pieces; // paths of pieces 0 to N - 1
    std::int64_t lastLength = 0;     // P + E, the last piece's length
    std::string rebuiltPath;         // the file the join writes, beside the pieces
    std::int64_t rebuiltLength = 0;  // (N - 1) * P + lastLength
};

// The outcome of checking a set: `set` when a join would accept it;
// otherwise `outcome` (Refused for a set that is not whole or not a set,
// Failed when a file could not be read) with `reason` ("name: what is
// wrong") and `consequence` (what that means for the join).
struct SetCheck {
    Outcome outcome = Outcome::Refused;
    std::optional<PieceSet> set;
    std::optional<std::string> countText; // set once the trailer was read
    std::optional<std::string> suffix;    // likewise
    std::string reason;
    std::string consequence;
};

// Checks the set whose first piece is `firstPiecePath` as the join does
// before it writes: the name ends in "000"; the first piece is a regular
// file ending in a trailer a split writes (filler 0x00, count 2 to 99); P is
// at least 30000 with B * b == P; the suffix can end a file name (no "/", no
// NUL); every piece 0 to N - 1 is a regular file, pieces 0 to N - 2 of
// exactly their expected length, the last of at least P bytes. Reads only
// the trailer and the pieces' lengths; writes nothing, asks nothing.
SetCheck checkSet(const std::string &firstPiecePath);

// What reading a whole set found: as checkSet, and then every piece opened
// and read to its end and, where the set has a checksum file, every piece
// and the file the set rebuilds compared with it. The outcome is the one a
// join of the set would end with before it writes: Done, Refused (not whole,
// damaged, or a checksum file that is unreadable, none or another set's),
// Failed (a piece could not be read) or Cancelled (a stop request).
struct SetVerification {
    Outcome outcome = Outcome::Refused;
    std::optional<PieceSet> set; // once checkSet accepted it
    std::string checksumPath;    // where the checksum file was looked for
    bool verified = false;       // Done: every digest matched (else sizes only)
    std::string reason;          // "name: what is wrong", unless Done or Cancelled
    std::string consequence;
};

// Checks the set whose first piece is `firstPiecePath` by reading all of it
// (activity Checking). Writes nothing, asks nothing.
SetVerification verifySet(const std::string &firstPiecePath, Monitor *monitor = nullptr);

} // namespace dorvik::engine
