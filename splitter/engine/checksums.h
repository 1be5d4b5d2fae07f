// The checksum file beside a piece set: its name, what it promises, and the
// hashing that writes it during a split and checks it during a join, on
// a thread of its own while the copy goes on.
#pragma once

#include "platform/fs.h"
#include "platform/writeback.h"
#include "splitter/engine/rangehasher.h"
#include "splitter/engine/sha256.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::engine {

struct PieceSet;

// "report.000" gives "report.000.sha256": the file sorts right behind the
// first piece and is found from its name, and it is neither a piece's name
// (those end in an index from 000 to 098) nor the rebuilt file's (the base
// name and three characters).
std::string checksumFileName(std::string_view firstPieceName);

// The digests of a set, in the set's order.
struct SetDigests {
    std::vector<Sha256::Digest> pieces;    // of the piece files 0 to N - 1, as they are on disk
    std::optional<Sha256::Digest> rebuilt; // of the file the set rebuilds
};

// The text of the checksum file of a set: a line per piece, then one for the
// rebuilt file under `rebuiltName` (left out when that is a piece's name too,
// as for a source named like a first piece: the name could not tell the two
// apart). `pieceNames` are the pieces' names, without directory.
std::string checksumText(const std::vector<std::string> &pieceNames, const std::string &rebuiltName,
                         const SetDigests &digests);

// Computes the digests of a set from ranges of open files, in order, on a
// thread of its own. Bytes that are both a piece's and the rebuilt file's
// are read once and go into both digests side by side. Every File handed in
// stays open until finish() or abandon().
class SetHasher {
public:
    // Bytes of the current piece that are the rebuilt file's too (all but
    // the first piece's trailer): a range of a file.
    void both(const platform::File &file, std::int64_t offset, std::int64_t length) {
        hasher_.add(file, offset, length, true);
    }
    // Bytes of the current piece only: a range of a file, or literal bytes.
    void piece(const platform::File &file, std::int64_t offset, std::int64_t length) {
        hasher_.add(file, offset, length);
    }
    void pieceBytes(std::string bytes) { hasher_.addBytes(std::move(bytes)); }
    // The current piece is complete; the next bytes are the next piece's.
    void endPiece() { hasher_.cut(); }
    // Holds the caller back while the thread is more than a few dozen
    // megabytes behind (see RangeHasher::waitForBacklogBelow).
    void keepUp() { hasher_.waitForBacklogBelow(kBacklog); }
    // Waits for the thread; a read error is "name: reason".
    platform::Status finish(SetDigests &digests) {
        return hasher_.finish(digests.pieces, &digests.rebuilt);
    }
    void abandon() { hasher_.abandon(); }

private:
    // About 50 ms of hashing: the longest a stop waits for the thread.
    static constexpr std::int64_t kBacklog = 64 << 20;
    RangeHasher hasher_;
};

// Hears the rounds of one copy and hands them to a SetHasher: the bytes
// written, read back from `file` from `offset` on, as the current piece's and
// the rebuilt file's, and tells `writeback` of them; then passes the round on
// to `next`. Without a hasher or a writeback it leaves those out.
class HashingObserver : public platform::CopyObserver {
public:
    HashingObserver(platform::CopyObserver *next, SetHasher *hasher, platform::Writeback *writeback,
                    const platform::File &file, std::int64_t offset)
        : next_(next), hasher_(hasher), writeback_(writeback), file_(file), pos_(offset) {}

    bool copied(std::int64_t bytes) override {
        if (hasher_) {
            hasher_->both(file_, pos_, bytes);
            hasher_->keepUp();
        }
        pos_ += bytes;
        if (writeback_) {
            writeback_->wrote(bytes);
            if (!writeback_->keepUp())
                return false;
        }
        return !next_ || next_->copied(bytes);
    }

private:
    platform::CopyObserver *next_;
    SetHasher *hasher_;
    platform::Writeback *writeback_;
    const platform::File &file_;
    std::int64_t pos_;
};

// What the checksum file beside a set says, as a join finds it before it
// writes.
struct SetChecksums {
    enum class State {
        Absent,  // no checksum file: the set can only be checked by its sizes
        Usable,  // `digests` are this set's
        Refused, // unreadable, not a checksum file, or another set's
    };
    State state = State::Absent;
    std::string path;                   // the checksum file's path
    std::optional<platform::FileId> id; // of the file read (Usable)
    SetDigests digests;
    std::string reason;        // Refused: "name: what is wrong"
    bool pieceDamaged = false; // Refused because the first piece is damaged, not the file
};

// Reads and checks the checksum file of `set` (checksumFileName of its
// first piece, beside it). Refused when it cannot be read, is no checksum
// file, or lists other names than the set's pieces and its rebuilt file.
// When the names do not fit because the first piece's trailer is damaged
// (its count or name ending changed), the first piece's digest decides, and
// the first piece is named as the damaged file.
SetChecksums readSetChecksums(const PieceSet &set);

// The first difference between what was read and what the checksum file
// promises, as "name: reason" naming the damaged piece (or the rebuilt
// file); nullopt when everything matches.
std::optional<std::string> firstMismatch(const PieceSet &set, const SetChecksums &expected,
                                         const SetDigests &found);

// What a refusal on the grounds of the checksum file means for a join: the
// message's second line. A checksum file at fault says how to do without it.
std::string nothingWrittenOrDeleted(const SetChecksums &checksums);

} // namespace dorvik::engine
