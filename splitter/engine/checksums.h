// The checksum file beside a piece set: its name, what it promises, and the
// hashing that writes it during a split and checks it during a join, on
// threads of their own while the copy goes on.
#pragma once

#include "platform/fs.h"
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

// Computes the digests of a set from ranges of open files, in order: the
// pieces' bytes on one thread, the rebuilt file's on another. Every File
// handed in stays open until finish() or abandon().
class SetHasher {
public:
    // Bytes of the current piece: a range of a file, or literal bytes.
    void piece(const platform::File &file, std::int64_t offset, std::int64_t length) {
        pieces_.add(file, offset, length);
    }
    void pieceBytes(std::string bytes) { pieces_.addBytes(std::move(bytes)); }
    // The current piece is complete; the next bytes are the next piece's.
    void endPiece() { pieces_.cut(); }
    // Bytes of the rebuilt file, in order.
    void rebuilt(const platform::File &file, std::int64_t offset, std::int64_t length) {
        rebuilt_.add(file, offset, length);
    }
    // Holds the caller back while either thread is more than a few dozen
    // megabytes behind (see RangeHasher::waitForBacklogBelow).
    void keepUp() {
        pieces_.waitForBacklogBelow(kBacklog);
        rebuilt_.waitForBacklogBelow(kBacklog);
    }
    // Waits for both threads; a read error is "name: reason".
    platform::Status finish(SetDigests &digests);
    void abandon() {
        pieces_.abandon();
        rebuilt_.abandon();
    }

private:
    // About 40 ms of hashing: the longest a stop waits for the threads.
    static constexpr std::int64_t kBacklog = 64 << 20;
    RangeHasher pieces_, rebuilt_;
};

// Hears the rounds of one copy and hands them to a SetHasher: the bytes
// written, read back from `pieceFile` from `pieceOffset` on as the piece's and
// from `rebuiltFile` from `rebuiltOffset` on as the rebuilt file's, then
// passes the round on to `next`. Without a hasher it only passes them on.
class HashingObserver : public platform::CopyObserver {
public:
    HashingObserver(platform::CopyObserver *next, SetHasher *hasher,
                    const platform::File &pieceFile, std::int64_t pieceOffset,
                    const platform::File &rebuiltFile, std::int64_t rebuiltOffset)
        : next_(next), hasher_(hasher), pieceFile_(pieceFile), rebuiltFile_(rebuiltFile),
          piecePos_(pieceOffset), rebuiltPos_(rebuiltOffset) {}

    bool copied(std::int64_t bytes) override {
        if (hasher_) {
            hasher_->piece(pieceFile_, piecePos_, bytes);
            hasher_->rebuilt(rebuiltFile_, rebuiltPos_, bytes);
            hasher_->keepUp();
        }
        piecePos_ += bytes;
        rebuiltPos_ += bytes;
        return !next_ || next_->copied(bytes);
    }

private:
    platform::CopyObserver *next_;
    SetHasher *hasher_;
    const platform::File &pieceFile_;
    const platform::File &rebuiltFile_;
    std::int64_t piecePos_;
    std::int64_t rebuiltPos_;
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
