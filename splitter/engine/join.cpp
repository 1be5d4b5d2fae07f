#include "platform/fs.h"
#include "platform/text.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/engine/report.h"
#include "splitter/engine/stages.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dorvik::engine {

namespace {

using platform::Status;
using stages::Stop;

const char kNothingJoined[] = "Nothing was joined; the pieces are untouched.";
const char kIncomplete[] = "The piece set is incomplete or damaged; nothing was joined.";

// Copies the data of every piece into `out` at offset k * P; the last piece
// gives all its bytes, tail included.
Status copyPieces(const PieceSet &set, platform::File &out, platform::CopyMethod method,
                  detail::ProgressReporter &progress) {
    const int N = set.count;
    const std::int64_t P = set.pieceSize;
    for (int k = 0; k < N; ++k) {
        platform::File in;
        if (Status s = in.open(set.pieces[k]); !s)
            return s;
        const std::int64_t length = (k == N - 1) ? set.lastLength : P;
        progress.beginPiece(k + 1);
        if (Status s = platform::copyIntoNewFile(in, 0, out, k * P, length, method, &progress); !s)
            return s;
        if (Status s = in.close(); !s)
            return s;
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
        return refuse(first + ": not the first piece of a split file; its name has to end in 000.",
                      kNothingJoined);

    // The trailer. The open never waits; a first piece that is no regular
    // file is refused rather than failed.
    {
        platform::File in;
        if (Status s = in.open(first); !s) {
            if (platform::exists(first) && !platform::isRegularFile(first))
                return refuse(s.message(), kNothingJoined);
            return failed(s.message(), kNothingJoined);
        }
        Status s;
        const std::optional<std::int64_t> L0 = in.length(&s);
        if (!L0)
            return failed(s.message(), kNothingJoined);
        std::string last(static_cast<std::size_t>(std::min<std::int64_t>(6, *L0)), '\0');
        if (s = in.readAt(*L0 - static_cast<std::int64_t>(last.size()), last.data(), last.size());
            !s)
            return failed(s.message(), kNothingJoined);
        if (s = in.close(); !s)
            return failed(s.message(), kNothingJoined);
        const std::optional<TrailerInfo> t = readTrailer(*L0, last);
        if (!t)
            return refuse(first + ": not the first piece of a split file; it does not end in a "
                                  "piece count and name.",
                          kNothingJoined);
        trailer = *t;
    }
    const TrailerInfo &t = trailer;
    check.countText = t.countText;
    check.suffix = platform::fromEightBit(t.suffixBytes);

    const std::optional<Layout> blocks = blocksForPieceSize(t.P);
    if (!blocks || blocks->B * blocks->b != t.P)
        return refuse(first + ": the piece holds " + std::to_string(t.P) +
                          " data bytes, a size no split writes.",
                      kIncomplete);
    PieceSet set;
    set.countText = t.countText;
    set.count = t.N;
    set.suffix = *check.suffix;
    set.pieceSize = t.P;
    set.blockSize = blocks->b;
    if (!platform::canEndFileName(set.suffix))
        return refuse(first + ": the name ending \"" + *check.suffix +
                          "\" stored in the piece cannot end a file name.",
                      kNothingJoined);

    // Every piece, before anything is written.
    const std::string prefix = first.substr(0, first.size() - 3);
    for (int k = 0; k < t.N; ++k) {
        const std::string path = prefix + pieceName("", k);
        Status s;
        const std::optional<std::int64_t> length = platform::fileLength(path, &s);
        if (!length)
            return refuse(s.message(), kIncomplete);
        if (!platform::isRegularFile(path))
            return refuse(path + ": Not a regular file", kIncomplete);
        const std::int64_t expected =
            (k == 0) ? t.P + static_cast<std::int64_t>(t.countText.size()) + 4 : t.P;
        if (k < t.N - 1 && *length != expected)
            return refuse(path + ": the piece has " + std::to_string(*length) + " bytes, " +
                              std::to_string(expected) + " expected.",
                          kIncomplete);
        if (k == t.N - 1) {
            if (*length < t.P)
                return refuse(path + ": the last piece has " + std::to_string(*length) +
                                  " bytes, at least " + std::to_string(t.P) + " expected.",
                              kIncomplete);
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

std::optional<Stop> rebuild(const PieceSet &set, const platform::Directory &dir,
                            platform::Flush flush, platform::CopyMethod method, Monitor *monitor) {
    const std::string &rebuilt = set.rebuiltPath;
    platform::NewFile out;
    Status s = out.create(dir, platform::fileNameOf(rebuilt));
    detail::ProgressReporter progress(monitor, Activity::Joining, set.count, set.rebuiltLength);
    if (s)
        s = copyPieces(set, out.file(), method, progress);
    if (s) {
        const std::optional<std::int64_t> written = out.file().length(&s);
        if (written && *written != set.rebuiltLength)
            s = Status::failure(rebuilt + ": the joined file has " + std::to_string(*written) +
                                " bytes, " + std::to_string(set.rebuiltLength) + " expected");
    }
    if (s)
        s = out.putInPlace(flush);
    if (s)
        return std::nullopt;
    // Put in place, but its directory could not be flushed.
    if (out.placed())
        return Stop{Outcome::Failed, s.message(),
                    rebuilt + " was joined, but it may not be safe on the disk yet; no piece was "
                              "deleted."};
    // The temporary goes with `out`.
    if (s.isStopped())
        return Stop{Outcome::Cancelled, {}, {}};
    return Stop{Outcome::Failed, s.message(), kNothingJoined};
}

void deletePieces(const PieceSet &set, const platform::Directory &dir, Monitor *monitor) {
    detail::ProgressReporter deleting(monitor, Activity::DeletingPieces, set.count, 0);
    const std::string rebuiltName = platform::fileNameOf(set.rebuiltPath);
    const std::optional<platform::FileId> rebuiltId = dir.idOf(rebuiltName);
    for (const std::string &piece : set.pieces) {
        const std::string name = platform::fileNameOf(piece);
        if (name == rebuiltName || (rebuiltId && dir.idOf(name) == rebuiltId))
            continue;
        (void)dir.remove(name); // a piece that cannot go simply stays
    }
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
        prompter.ask(detail::infoMessage("You have to select an *.000 file.", "Dorvik"));
        result.outcome = Outcome::Refused;
        return result;
    }

    detail::BusyScope busy(request.busy);
    auto fail = [&](Outcome outcome, const std::string &reason, const std::string &what) {
        busy.end();
        result.outcome = outcome;
        if (result.clearFields && request.finished)
            request.finished(result);
        prompter.ask(detail::failureMessage(reason, what));
        return result;
    };

    // Validate.
    const SetCheck check = checkSet(first);
    result.count = check.countText;
    result.suffix = check.suffix;
    if (!check.set)
        return fail(check.outcome, check.reason, check.consequence);
    const PieceSet &set = *check.set;
    const std::string pieceDirectory = platform::directoryOf(first);
    platform::Directory dir;
    if (Status s = dir.open(pieceDirectory); !s)
        return fail(Outcome::Failed, s.message(), kNothingJoined);

    // Rebuild; made durable first when the pieces are to go next.
    const platform::Flush flush =
        request.deletePieces ? platform::Flush::Durable : platform::Flush::None;
    if (auto stop = stages::rebuild(set, dir, flush, request.copyMethod, request.monitor)) {
        if (stop->outcome == Outcome::Cancelled) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
        return fail(stop->outcome, stop->reason, stop->consequence);
    }

    // Delete.
    if (request.deletePieces)
        stages::deletePieces(set, dir, request.monitor);

    // Copy to target.
    result.clearFields = true;
    result.disableJoin = true;
    const std::string &target = request.targetDirectory;
    const std::string &rebuilt = set.rebuiltPath;
    if (!target.empty() && !platform::sameFile(target, pieceDirectory)) {
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
            return fail(Outcome::Failed, s.message(),
                        rebuilt + " was joined, but it was not copied into " + target +
                            "; the joined file is where the pieces were.");
        }
    }

    busy.end();
    result.outcome = Outcome::Done;
    if (request.finished)
        request.finished(result);
    prompter.ask(detail::infoMessage(rebuilt + "\n is successfully joined!", "Dorvik "));
    return result;
}

} // namespace dorvik::engine
