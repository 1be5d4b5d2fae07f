#include "platform/fs.h"
#include "platform/text.h"
#include "platform/translate.h"
#include "platform/writeback.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/engine/report.h"
#include "splitter/engine/stages.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dorvik::engine {

namespace {

using platform::fill;
using platform::Status;
using stages::Stop;

// What became of the files, under a failure's reason.
std::string nothingJoined() {
    return DORVIK_TEXT("Join", "Nothing was joined; the pieces are untouched.");
}
std::string incomplete() {
    return DORVIK_TEXT("Join", "The piece set is incomplete or damaged; nothing was joined.");
}

// The bytes of piece k that are data of the rebuilt file: P, the last
// piece's all.
std::int64_t dataLength(const PieceSet &set, int k) {
    return k == set.count - 1 ? set.lastLength : set.pieceSize;
}

// The length of the first piece's trailer: the filler, the count's digits
// and the three bytes of the name ending.
std::int64_t trailerLength(const PieceSet &set) {
    return static_cast<std::int64_t>(set.countText.size()) + 4;
}

// Copies the data of every piece into `out` at offset k * P; the last piece
// gives all its bytes, tail included. The pieces stay open in `pieces` (the
// hashing thread may still read them); with `hasher`, every round is hashed
// as the piece's bytes and the rebuilt file's, and the first piece's trailer
// as the end of its bytes; `writeback`, when given, hears of every round.
Status copyPieces(const PieceSet &set, platform::File &out, platform::CopyMethod method,
                  detail::ProgressReporter &progress, SetHasher *hasher,
                  platform::Writeback *writeback, std::vector<platform::File> &pieces) {
    const int N = set.count;
    const std::int64_t P = set.pieceSize;
    pieces.resize(static_cast<std::size_t>(N));
    for (int k = 0; k < N; ++k) {
        platform::File &in = pieces[static_cast<std::size_t>(k)];
        if (Status s = in.open(set.pieces[k]); !s)
            return s;
        progress.beginPiece(k + 1);
        // Read back from the rebuilt file: its digest is of what was written,
        // and a piece's differs wherever the piece's bytes do.
        HashingObserver rounds(&progress, hasher, writeback, out, k * P);
        if (Status s =
                platform::copyIntoNewFile(in, 0, out, k * P, dataLength(set, k), method, &rounds);
            !s)
            return s;
        if (hasher) {
            if (k == 0)
                hasher->piece(in, P, trailerLength(set));
            hasher->endPiece();
        }
    }
    return {};
}

} // namespace

SetCheck checkSet(const std::string &first) {
    SetCheck check;
    auto stop = [&](Outcome outcome, const std::string &reason, const std::string &consequence) {
        check.outcome = outcome;
        check.reason = reason;
        check.consequence = consequence;
        return check;
    };
    auto refuse = [&](const std::string &reason, const std::string &consequence) {
        return stop(Outcome::Refused, reason, consequence);
    };
    auto failed = [&](const std::string &reason, const std::string &consequence) {
        return stop(Outcome::Failed, reason, consequence);
    };

    TrailerInfo trailer;
    if (!first.ends_with("000"))
        return refuse(fill(DORVIK_TEXT("Join", "%1: not the first piece of a split file; its "
                                               "name has to end in 000."),
                           {first}),
                      nothingJoined());

    // The trailer. The open never waits; a first piece that is no regular
    // file is refused rather than failed.
    {
        platform::File in;
        if (Status s = in.open(first); !s) {
            if (platform::exists(first) && !platform::isRegularFile(first))
                return refuse(s.message(), nothingJoined());
            return failed(s.message(), nothingJoined());
        }
        Status s;
        const std::optional<std::int64_t> L0 = in.length(&s);
        if (!L0)
            return failed(s.message(), nothingJoined());
        std::string last(static_cast<std::size_t>(std::min<std::int64_t>(6, *L0)), '\0');
        if (s = in.readAt(*L0 - static_cast<std::int64_t>(last.size()), last.data(), last.size());
            !s)
            return failed(s.message(), nothingJoined());
        if (s = in.close(); !s)
            return failed(s.message(), nothingJoined());
        const std::optional<TrailerInfo> t = readTrailer(*L0, last);
        if (!t)
            return refuse(fill(DORVIK_TEXT("Join", "%1: not the first piece of a split file; it "
                                                   "does not end in a piece count and name."),
                               {first}),
                          nothingJoined());
        trailer = *t;
    }
    const TrailerInfo &t = trailer;
    check.countText = t.countText;
    check.suffix = platform::fromEightBit(t.suffixBytes);

    const std::optional<Layout> blocks = blocksForPieceSize(t.P);
    if (!blocks || blocks->B * blocks->b != t.P)
        return refuse(
            fill(DORVIK_TEXT("Join", "%1: the piece holds %2 data bytes, a size no split writes."),
                 {first, std::to_string(t.P)}),
            incomplete());
    PieceSet set;
    set.countText = t.countText;
    set.count = t.N;
    set.suffix = *check.suffix;
    set.pieceSize = t.P;
    set.blockSize = blocks->b;
    if (!platform::canEndFileName(set.suffix))
        return refuse(fill(DORVIK_TEXT("Join", "%1: the name ending \"%2\" stored in the piece "
                                               "cannot end a file name."),
                           {first, *check.suffix}),
                      nothingJoined());

    // Every piece, before anything is written.
    const std::string prefix = first.substr(0, first.size() - 3);
    for (int k = 0; k < t.N; ++k) {
        const std::string path = prefix + pieceName("", k);
        Status s;
        const std::optional<std::int64_t> length = platform::fileLength(path, &s);
        if (!length)
            return refuse(s.message(), incomplete());
        if (!platform::isRegularFile(path))
            return refuse(fill(DORVIK_TEXT("Join", "%1: Not a regular file"), {path}),
                          incomplete());
        const std::int64_t expected =
            (k == 0) ? t.P + static_cast<std::int64_t>(t.countText.size()) + 4 : t.P;
        if (k < t.N - 1 && *length != expected)
            return refuse(fill(DORVIK_TEXT("Join", "%1: the piece has %2 bytes, %3 expected."),
                               {path, std::to_string(*length), std::to_string(expected)}),
                          incomplete());
        if (k == t.N - 1) {
            if (*length < t.P)
                return refuse(
                    fill(DORVIK_TEXT("Join",
                                     "%1: the last piece has %2 bytes, at least %3 expected."),
                         {path, std::to_string(*length), std::to_string(t.P)}),
                    incomplete());
            set.lastLength = *length;
        }
        set.pieces.push_back(path);
    }
    set.rebuiltPath = prefix + set.suffix;
    set.rebuiltLength = (t.N - 1) * t.P + set.lastLength;
    check.outcome = Outcome::Done;
    check.set = std::move(set);
    return check;
}

namespace stages {

std::optional<Stop> validateChecksums(const PieceSet &set, SetChecksums &checksums) {
    checksums = readSetChecksums(set);
    if (checksums.state != SetChecksums::State::Refused)
        return std::nullopt;
    return Stop{Outcome::Refused, checksums.reason, nothingWrittenOrDeleted(checksums),
                platform::Icon::Information};
}

std::optional<Stop> rebuild(const PieceSet &set, const SetChecksums &checksums,
                            const platform::Directory &dir, platform::Flush flush,
                            platform::CopyMethod method, Monitor *monitor,
                            std::vector<platform::FileId> &read) {
    const std::string &rebuilt = set.rebuiltPath;
    platform::NewFile out;
    std::vector<platform::File> pieces;
    std::optional<SetHasher> hasher;
    if (checksums.state == SetChecksums::State::Usable)
        hasher.emplace();
    // While the hashing goes on, what is written goes out to the disk.
    platform::Writeback writeback([monitor] { return monitor && monitor->stopRequested(); });
    Status s = out.create(dir, platform::fileNameOf(rebuilt));
    if (s && hasher)
        writeback.follow(out.file());
    detail::ProgressReporter progress(monitor, Activity::Joining, set.count, set.rebuiltLength);
    if (s)
        s = copyPieces(set, out.file(), method, progress, hasher ? &*hasher : nullptr, &writeback,
                       pieces);
    if (s) {
        const std::optional<std::int64_t> written = out.file().length(&s);
        if (written && *written != set.rebuiltLength)
            s = Status::failure(
                fill(DORVIK_TEXT("Join", "%1: the joined file has %2 bytes, %3 expected"),
                     {rebuilt, std::to_string(*written), std::to_string(set.rebuiltLength)}));
    }
    if (hasher) {
        if (!s) {
            hasher->abandon();
            writeback.abandon();
        } else {
            SetDigests found;
            s = hasher->finish(found);
            if (s)
                s = writeback.finish();
            if (s)
                if (const std::optional<std::string> damage = firstMismatch(set, checksums, found))
                    return Stop{Outcome::Refused, *damage, nothingWrittenOrDeleted(checksums),
                                platform::Icon::Information};
        }
    }
    if (s) {
        read.clear();
        for (const platform::File &piece : pieces)
            read.push_back(piece.id().value_or(platform::FileId{}));
        // Closed (the hashing is done) before the rebuilt file takes its
        // name, which may be the first piece's (a source named x.000): Windows
        // does not replace a file that is open.
        pieces.clear();
        s = out.putInPlace(flush);
    }
    if (s)
        return std::nullopt;
    // Put in place, but its directory could not be flushed.
    if (out.placed())
        return Stop{Outcome::Failed, s.message(),
                    fill(DORVIK_TEXT("Join", "%1 was joined, but it may not be safe on the disk "
                                             "yet; no piece was deleted."),
                         {rebuilt})};
    // The temporary goes with `out`.
    if (s.isStopped())
        return Stop{Outcome::Cancelled, {}, {}};
    return Stop{Outcome::Failed, s.message(), nothingJoined()};
}

void deletePieces(const PieceSet &set, const SetChecksums &checksums,
                  const std::vector<platform::FileId> &read, const platform::Directory &dir,
                  Monitor *monitor) {
    detail::ProgressReporter deleting(monitor, Activity::DeletingPieces, set.count, 0);
    platform::SetLock lock;
    const std::string first = platform::fileNameOf(set.pieces.front());
    if (!lock.acquire(dir, first))
        return; // another run is writing the set: its files are not ours to delete
    const std::string rebuiltName = platform::fileNameOf(set.rebuiltPath);
    const std::optional<platform::FileId> rebuiltId = dir.idOf(rebuiltName);
    for (std::size_t k = 0; k < set.pieces.size() && k < read.size(); ++k) {
        const std::string name = platform::fileNameOf(set.pieces[k]);
        const std::optional<platform::FileId> id = dir.idOf(name);
        if (name == rebuiltName || !id || *id != read[k] || id == rebuiltId)
            continue;
        (void)dir.remove(name); // a piece that cannot go simply stays
    }
    // The checksum file belongs to the set and goes with it.
    const std::string sums = platform::fileNameOf(checksums.path);
    if (checksums.state == SetChecksums::State::Usable && checksums.id &&
        dir.idOf(sums) == checksums.id)
        (void)dir.remove(sums); // as a piece: one that cannot go stays
}

Status copyToTarget(const PieceSet &set, const std::string &target, const std::string &shortTarget,
                    platform::CopyMethod method, Monitor *monitor, bool stoppable) {
    detail::ProgressReporter copying(monitor, Activity::CopyingToTarget, set.count,
                                     set.rebuiltLength, stoppable,
                                     platform::fileNameOf(set.rebuiltPath));
    if (Status s = platform::makeDirectory(target); !s)
        return s;
    const std::string &rebuilt = set.rebuiltPath;
    return platform::copyFile(rebuilt,
                              platform::joinRootAware(shortTarget, platform::fileNameOf(rebuilt)),
                              method, &copying);
}

} // namespace stages

JoinResult join(const JoinRequest &request, platform::Prompter &prompter) {
    JoinResult result;
    const std::string &first = request.firstPiecePath;
    if (first.empty() || first.back() != '0') {
        prompter.ask(detail::infoMessage(DORVIK_TEXT("Join", "You have to select an *.000 file."),
                                         "Dorvik"));
        result.outcome = Outcome::Refused;
        return result;
    }

    detail::BusyScope busy(request.busy);
    auto fail = [&](const Stop &stop) {
        busy.end();
        result.outcome = stop.outcome;
        if (result.clearFields && request.finished)
            request.finished(result);
        if (!stop.reason.empty()) { // a stop the user asked for needs no message
            platform::Message m = detail::failureMessage(stop.reason, stop.consequence);
            m.icon = stop.icon;
            prompter.ask(m);
        }
        return result;
    };

    // Validate.
    const SetCheck check = checkSet(first);
    result.count = check.countText;
    result.suffix = check.suffix;
    if (!check.set)
        return fail(Stop{check.outcome, check.reason, check.consequence});
    const PieceSet &set = *check.set;
    const std::string pieceDirectory = platform::directoryOf(first);
    platform::Directory dir;
    if (Status s = dir.open(pieceDirectory); !s)
        return fail(Stop{Outcome::Failed, s.message(), nothingJoined()});

    SetChecksums checksums;
    if (auto stop = stages::validateChecksums(set, checksums))
        return fail(*stop);

    const std::string &target = request.targetDirectory;
    const bool copies = !target.empty() && !platform::sameFile(target, pieceDirectory);
    if (auto stop = stages::checkJoinRoom(set, copies ? target : std::string(),
                                          request.deletePieces, prompter))
        return fail(*stop);

    // Rebuild; made durable first when the pieces are to go next.
    const platform::Flush flush =
        request.deletePieces ? platform::Flush::Durable : platform::Flush::None;
    std::vector<platform::FileId> read;
    if (auto stop =
            stages::rebuild(set, checksums, dir, flush, request.copyMethod, request.monitor, read))
        return fail(*stop);

    // Delete.
    if (request.deletePieces)
        stages::deletePieces(set, checksums, read, dir, request.monitor);

    // Copy to target.
    result.clearFields = true;
    result.disableJoin = true;
    const std::string &rebuilt = set.rebuiltPath;
    if (copies) {
        const std::string shortTarget = platform::shortenRootForTarget(target);
        result.targetDirectory = shortTarget;
        if (Status s = stages::copyToTarget(set, target, shortTarget, request.copyMethod,
                                            request.monitor, !request.deletePieces);
            !s) {
            if (s.isStopped()) {
                // The rebuilt file stays beside the pieces; only the half copy went.
                busy.end();
                result.outcome = Outcome::Cancelled;
                if (request.finished)
                    request.finished(result);
                return result;
            }
            return fail(Stop{Outcome::Failed, s.message(),
                             fill(DORVIK_TEXT("Join", "%1 was joined, but it was not copied into "
                                                      "%2; the joined file is where the pieces "
                                                      "were."),
                                  {rebuilt, target})});
        }
    }

    busy.end();
    result.outcome = Outcome::Done;
    if (request.finished)
        request.finished(result);
    prompter.ask(detail::infoMessage(
        fill(DORVIK_TEXT("Join", "%1\n is successfully joined!"), {rebuilt}), "Dorvik "));
    return result;
}

SetVerification verifySet(const std::string &first, Monitor *monitor) {
    SetVerification v;
    auto end = [&](Outcome outcome, const std::string &reason, const std::string &consequence) {
        v.outcome = outcome;
        v.reason = reason;
        v.consequence = consequence;
        return v;
    };
    SetCheck check = checkSet(first);
    if (!check.set)
        return end(check.outcome, check.reason, check.consequence);
    v.set = std::move(check.set);
    const PieceSet &set = *v.set;
    const SetChecksums sums = readSetChecksums(set);
    v.checksumPath = sums.path;
    if (sums.state == SetChecksums::State::Refused)
        return end(Outcome::Refused, sums.reason, nothingWrittenOrDeleted(sums));

    // Every piece read here, on this thread, as the piece's bytes; the
    // rebuilt file's bytes are hashed from the same ranges on another.
    const bool hashing = sums.state == SetChecksums::State::Usable;
    std::int64_t total = 0;
    for (int k = 0; k < set.count; ++k)
        total += dataLength(set, k) + (k == 0 ? trailerLength(set) : 0);
    detail::ProgressReporter progress(monitor, Activity::Checking, set.count, total);
    std::vector<platform::File> pieces(static_cast<std::size_t>(set.count));
    RangeHasher rebuilt;
    SetDigests found;
    std::vector<char> buffer(1 << 20);
    auto failed = [&](const Status &s) {
        rebuilt.abandon();
        if (s.isStopped())
            return end(Outcome::Cancelled, {}, {});
        return end(Outcome::Failed, s.message(),
                   DORVIK_TEXT("Join", "The set cannot be joined as it is."));
    };
    for (int k = 0; k < set.count; ++k) {
        platform::File &in = pieces[static_cast<std::size_t>(k)];
        if (Status s = in.open(set.pieces[k]); !s)
            return failed(s);
        progress.beginPiece(k + 1);
        const std::int64_t data = dataLength(set, k);
        const std::int64_t length = data + (k == 0 ? trailerLength(set) : 0);
        Sha256 piece;
        for (std::int64_t at = 0; at < length;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(length - at, static_cast<std::int64_t>(buffer.size())));
            if (Status s = in.readAt(at, buffer.data(), n); !s)
                return failed(s);
            if (hashing) {
                piece.update(buffer.data(), n);
                if (at < data)
                    rebuilt.add(in, at,
                                std::min<std::int64_t>(static_cast<std::int64_t>(n), data - at));
                rebuilt.waitForBacklogBelow(64 << 20);
            }
            at += static_cast<std::int64_t>(n);
            if (!progress.copied(static_cast<std::int64_t>(n)))
                return failed(Status::stopped());
        }
        found.pieces.push_back(piece.finish());
    }
    if (!hashing) {
        v.outcome = Outcome::Done;
        return v;
    }
    std::vector<Sha256::Digest> whole;
    if (Status s = rebuilt.finish(whole); !s)
        return failed(s);
    if (!whole.empty())
        found.rebuilt = whole.front();
    if (const std::optional<std::string> damage = firstMismatch(set, sums, found))
        return end(Outcome::Refused, *damage, nothingWrittenOrDeleted(sums));
    v.verified = true;
    v.outcome = Outcome::Done;
    return v;
}

} // namespace dorvik::engine
