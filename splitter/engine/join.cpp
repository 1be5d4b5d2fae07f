#include "platform/fs.h"
#include "platform/text.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/engine/report.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dorvik::engine {

namespace {

using platform::Status;

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
        if (Status s = in.open(set.pieces[k], platform::File::Mode::Read); !s)
            return s;
        const std::int64_t length = (k == N - 1) ? set.lastLength : P;
        progress.beginPiece(k + 1);
        if (Status s = platform::copyIntoNewFile(in, 0, out, k * P, length,
                                                 static_cast<std::size_t>(set.blockSize), method,
                                                 &progress);
            !s)
            return s;
        if (Status s = in.close(); !s)
            return s;
    }
    return out.close();
}

// Copies the rebuilt file into `target` (made first, one level) under its
// own name.
Status copyToTarget(const std::string &rebuilt, const std::string &target,
                    const std::string &shortTarget, platform::CopyMethod method,
                    detail::ProgressReporter &progress) {
    if (Status s = platform::makeDirectory(target); !s)
        return s;
    return platform::copyFile(rebuilt,
                              platform::joinRootAware(shortTarget, platform::fileNameOf(rebuilt)),
                              method, &progress);
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

    // The trailer. (The type is checked before the open, which would wait
    // forever on a named pipe.)
    if (platform::exists(first) && !platform::isRegularFile(first))
        return refuse(first + ": Not a regular file", kNothingJoined);
    {
        platform::File in;
        if (Status s = in.open(first, platform::File::Mode::Read); !s)
            return failed(s.message(), kNothingJoined);
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
    if (t.suffixBytes.find_first_of(std::string("/\0", 2)) != std::string::npos)
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

// join: rebuilds the file a split cut into the set whose first piece is
// request.firstPiecePath, in that piece's directory.
//
// The piece is identified by its full path alone: its directory and name are
// taken from firstPiecePath. The working directory is never changed.
//
// A path whose last character is not "0" gets "You have to select an *.000
// file." (title "Dorvik") before anything else, busy is not touched. Then,
// before anything is written, the whole set is validated and each fault
// refused with a message naming the file (Refused): the name must end in
// "000"; the last bytes must be a piece trailer a split writes (filler 0x00,
// count 2 to 99); P must be at least 30000 with B * b == P; the suffix must
// be usable in a file name (no "/", no NUL); every piece 0 to N - 1 must be a
// regular file, pieces 0 to N - 2 of exactly P data bytes, the last of at
// least P. result.count and result.suffix are set once the trailer is read.
//
// The rebuilt file (base name + suffix, in the pieces' directory) is written
// under a temporary name, its length checked against N * P + E, and renamed
// into place; so a rebuilt name equal to a piece name replaces that piece
// only after every piece has been read. A failure on the way removes the
// temporary file and leaves the pieces untouched (Failed).
//
// Then, with deletePieces, the pieces are deleted (never the rebuilt file; a
// piece that cannot be deleted stays, silently). When the target directory is
// not the pieces' directory (by file identity), the rebuilt file is copied
// there; a failed copy is reported (Failed, with clearFields and disableJoin
// set, since the rebuilt file exists and the pieces may be gone). Otherwise
// busy(false) and "<rebuilt path>\n is successfully joined!" (title
// "Dorvik "), Done, with clearFields and disableJoin set.
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

    const SetCheck check = checkSet(first);
    result.count = check.countText;
    result.suffix = check.suffix;
    if (!check.set)
        return fail(check.outcome, check.reason, check.consequence);
    const PieceSet &set = *check.set;
    const std::string &rebuilt = set.rebuiltPath;
    const std::int64_t expectedLength = set.rebuiltLength;

    // The rebuilt file, complete before it takes its name.
    const std::string temporary = platform::temporaryNameFor(rebuilt);
    {
        platform::File out;
        Status s = out.open(temporary, platform::File::Mode::Create);
        detail::ProgressReporter progress(request.monitor, Activity::Joining, set.count,
                                          expectedLength);
        if (s)
            s = copyPieces(set, out, request.copyMethod, progress);
        if (s) {
            const std::optional<std::int64_t> written = platform::fileLength(temporary, &s);
            if (written && *written != expectedLength)
                s = Status::failure(rebuilt + ": the joined file has " + std::to_string(*written) +
                                    " bytes, " + std::to_string(expectedLength) + " expected");
        }
        if (s)
            s = platform::renameFile(temporary, rebuilt);
        if (!s) {
            (void)out.close(); // already failing; the file goes away next
            (void)platform::removeFile(temporary);
            if (s.isCancelled()) {
                result.outcome = Outcome::Cancelled;
                return result;
            }
            return fail(Outcome::Failed, platform::underFinalName(s, temporary, rebuilt).message(),
                        kNothingJoined);
        }
    }

    if (request.deletePieces) {
        detail::ProgressReporter deleting(request.monitor, Activity::DeletingPieces, set.count, 0);
        for (const std::string &piece : set.pieces) {
            if (piece == rebuilt || platform::sameFile(piece, rebuilt))
                continue;
            (void)platform::removeFile(piece); // a piece that cannot go simply stays
        }
    }

    result.clearFields = true;
    result.disableJoin = true;
    const std::string &target = request.targetDirectory;
    const std::string pieceDirectory = platform::directoryOf(first);
    if (!target.empty() && !platform::sameFile(target, pieceDirectory)) {
        const std::string shortTarget = platform::shortenRootForTarget(target);
        result.targetDirectory = shortTarget;
        detail::ProgressReporter copying(request.monitor, Activity::CopyingToTarget, set.count,
                                         expectedLength);
        if (Status s = copyToTarget(rebuilt, target, shortTarget, request.copyMethod, copying);
            !s) {
            if (s.isCancelled()) {
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
