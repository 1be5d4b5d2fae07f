#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/translate.h"
#include "platform/writeback.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/engine/report.h"
#include "splitter/engine/stages.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace dorvik::engine {

namespace {

using platform::fill;
using platform::Status;
using stages::Stop;

// What became of the files, under a failure's reason.
std::string nothingWritten() {
    return DORVIK_TEXT("Split", "Nothing was written.");
}
std::string piecesRemoved() {
    return DORVIK_TEXT("Split", "The split was stopped; the pieces it had written were removed.");
}

Stop failed(Outcome outcome, const std::string &reason, const std::string &what) {
    return Stop{outcome, reason, what};
}

} // namespace

std::optional<int> suggestedPieces(std::int64_t length) {
    if (length < 0)
        return std::nullopt;
    const std::int64_t disks = (length + kFloppyBytes - 1) / kFloppyBytes;
    if (disks < kMinPieces || disks > kMaxPieces)
        return std::nullopt;
    return static_cast<int>(disks);
}

CountForSize piecesForSize(std::int64_t length, std::int64_t limit) {
    CountForSize result;
    for (int N = kMinPieces; N <= kMaxPieces; ++N) {
        const std::optional<Layout> l = layout(length, N);
        if (!l)
            break; // more pieces only get smaller than 30000 bytes
        const std::int64_t largest =
            std::max(l->P + static_cast<std::int64_t>(trailer(N, "abc").size()), l->P + l->R);
        if (largest <= limit) {
            result.pieces = N;
            return result;
        }
        if (result.smallestLimit == 0 || largest < result.smallestLimit)
            result.smallestLimit = largest;
    }
    if (result.smallestLimit == 0) // not even two pieces
        result.pieces = kMinPieces;
    return result;
}

namespace stages {

std::optional<Stop> checkSplit(const SplitRequest &request, platform::Prompter &prompter,
                               SplitResult &result, SplitPlan &plan) {
    const std::string &source = request.sourcePath;
    if (source.empty())
        return failed(Outcome::Refused, DORVIK_TEXT("Split", "No file to split was chosen."),
                      nothingWritten());
    result.suffix = platform::lastCharacters(source, 3);
    plan.source = source;

    if (Status s = plan.in.open(source); !s)
        return failed(Outcome::Failed, s.message(), nothingWritten());
    Status lengthStatus;
    const std::optional<std::int64_t> L = plan.in.length(&lengthStatus);
    if (!L)
        return failed(Outcome::Failed, lengthStatus.message(), nothingWritten());

    const int N = request.pieces;
    if (N < kMinPieces || N > kMaxPieces)
        return failed(Outcome::Refused,
                      fill(DORVIK_TEXT("Split", "The piece count %1 does not lie from 2 to 99."),
                           {std::to_string(N)}),
                      nothingWritten());
    const std::optional<Layout> l = layout(*L, N);
    if (!l) {
        prompter.ask(detail::infoMessage(
            DORVIK_TEXT("Split", "The splitted file can\u00b4t be less then 30 Kb."), "dorvik"));
        return Stop{Outcome::Refused, {}, {}};
    }
    plan.layout = *l;

    const std::string sourceName = platform::fileNameOf(source);
    if (platform::characterCount(sourceName) < 3)
        return failed(Outcome::Refused,
                      fill(DORVIK_TEXT("Split", "%1: the name must have at least three "
                                                "characters to be split."),
                           {source}),
                      nothingWritten());
    const std::optional<std::string> suffixBytes = platform::toEightBit(*result.suffix);
    if (!suffixBytes)
        return failed(Outcome::Refused,
                      fill(DORVIK_TEXT("Split", "%1: the last three characters of the name, "
                                                "\"%2\", cannot be stored in a piece set (only "
                                                "characters of Windows-1252 can)."),
                           {source, *result.suffix}),
                      nothingWritten());
    plan.baseName = platform::withoutLastCharacters(sourceName, 3);
    plan.trailerBytes = trailer(N, *suffixBytes);
    plan.rebuiltName = plan.baseName + platform::fromEightBit(*suffixBytes);
    plan.checksums = request.checksums;

    plan.target = request.targetDirectory;
    if (plan.target.empty())
        return failed(Outcome::Refused,
                      DORVIK_TEXT("Split", "No directory to split into was chosen."),
                      nothingWritten());
    plan.shortTarget = platform::shortenRootForTarget(plan.target);
    for (int k = 0; k < N; ++k)
        plan.names.push_back(pieceName(plan.baseName, k));
    plan.checksumName = checksumFileName(plan.names.front());

    // A piece must never replace the source, neither by name in the source's
    // own directory nor through another name of the same file.
    const std::optional<platform::FileId> sourceId = platform::fileId(source);
    const bool sourceDirIsTarget = platform::sameFile(plan.target, platform::directoryOf(source));
    for (int k = 0; k < N; ++k) {
        const std::string piece = platform::joinRootAware(plan.shortTarget, plan.names[k]);
        const std::optional<platform::FileId> id = platform::fileId(piece);
        if ((sourceDirIsTarget && plan.names[k] == sourceName) ||
            (sourceId && id && *id == *sourceId))
            return failed(
                Outcome::Refused,
                fill(DORVIK_TEXT("Split", "%1: this piece would replace the file being split."),
                     {piece}),
                DORVIK_TEXT("Split",
                            "Choose another directory to split into; nothing was written."));
        // A directory in the way would stop the renames half-way.
        if (platform::isDirectory(piece))
            return failed(Outcome::Refused, Status::fromErrno(piece, EISDIR).message(),
                          nothingWritten());
    }

    if (*L > kFloppyBytes * N) { // the average piece, L / N, exceeds a disk
        const platform::Message warning = detail::infoMessage(
            DORVIK_TEXT("Split",
                        "The files will be larger than 1,4 Mb,\nand will not fit on floppy disks."),
            "Dorvik", platform::Buttons::OkCancel);
        if (prompter.ask(warning) != platform::Answer::Ok)
            return Stop{Outcome::Cancelled, {}, {}};
    }
    return std::nullopt;
}

std::optional<Stop> layOutSplit(SplitPlan &plan, platform::Directory &target, SplitResult &result) {
    if (Status s = platform::makeDirectory(plan.target); !s)
        return failed(Outcome::Failed, s.message(), nothingWritten());
    result.targetDirectory = plan.shortTarget;
    // The directory as given: "c:" alone would be the drive's current one.
    if (Status s = target.open(plan.target); !s)
        return failed(Outcome::Failed, s.message(), nothingWritten());
    return std::nullopt;
}

std::optional<Stop> writePieces(SplitPlan &plan, const platform::Directory &target,
                                platform::CopyMethod method, Monitor *monitor,
                                std::vector<platform::NewFile> &pieces) {
    const Layout &l = plan.layout;
    detail::ProgressReporter progress(monitor, Activity::Splitting, l.N, l.L);
    std::optional<SetHasher> hasher;
    if (plan.checksums)
        hasher.emplace();
    // While the hashing goes on, what is written goes out to the disk: the
    // run then takes the hashing's time or the disk's, not both.
    platform::Writeback writeback([monitor] { return monitor && monitor->stopRequested(); });
    // On the way out of a failure every temporary goes with `pieces`, once
    // the hashing thread has let go of them.
    auto stop = [&](const Status &s) {
        if (hasher)
            hasher->abandon();
        writeback.abandon();
        pieces.clear();
        if (s.isStopped())
            return Stop{Outcome::Cancelled, {}, {}};
        return failed(Outcome::Failed, s.message(), piecesRemoved());
    };
    // The hashing thread reads the pieces through their Files: the vector
    // must never move them.
    pieces.reserve(static_cast<std::size_t>(l.N) + 1);
    for (int k = 0; k < l.N; ++k) {
        pieces.emplace_back();
        platform::NewFile &piece = pieces.back();
        progress.beginPiece(k + 1);
        if (Status s = piece.create(target, plan.names[k]); !s)
            return stop(s);
        if (hasher)
            writeback.follow(piece.file());
        const std::int64_t length = (k == l.N - 1) ? l.P + l.R : l.P;
        // The piece's bytes as written are both the piece's and the source's.
        HashingObserver rounds(&progress, hasher ? &*hasher : nullptr, &writeback, piece.file(), 0);
        if (Status s = platform::copyIntoNewFile(plan.in, k * l.P, piece.file(), 0, length, method,
                                                 &rounds);
            !s)
            return stop(s);
        if (k == 0) {
            if (Status s =
                    piece.file().writeAt(l.P, plan.trailerBytes.data(), plan.trailerBytes.size());
                !s)
                return stop(s);
            if (hasher)
                hasher->pieceBytes(plan.trailerBytes);
        }
        if (hasher)
            hasher->endPiece();
    }
    if (Status s = plan.in.close(); !s)
        return stop(s);
    if (!hasher)
        return std::nullopt;

    SetDigests digests;
    if (Status s = hasher->finish(digests); !s)
        return stop(s);
    if (Status s = writeback.finish(); !s)
        return stop(s);
    const std::string text = checksumText(plan.names, plan.rebuiltName, digests);
    pieces.emplace_back();
    platform::NewFile &sums = pieces.back();
    if (Status s = sums.create(target, plan.checksumName); !s)
        return stop(s);
    if (Status s = sums.file().writeAt(0, text.data(), text.size()); !s)
        return stop(s);
    return std::nullopt;
}

std::optional<Stop> putPiecesInPlace(const SplitPlan &plan, const platform::Directory &target,
                                     Monitor *monitor, std::vector<platform::NewFile> &pieces) {
    auto stop = [&](const Status &s, Outcome outcome, const std::string &what) {
        pieces.clear();
        if (s.isStopped())
            return Stop{Outcome::Cancelled, {}, {}};
        return failed(outcome, s.message(), what);
    };
    platform::SetLock lock;
    if (Status s = lock.acquire(target, plan.names.front(), std::chrono::seconds(5),
                                [monitor] { return monitor && monitor->stopRequested(); });
        !s)
        return lock.heldElsewhere()
                   ? stop(s, Outcome::Refused,
                          DORVIK_TEXT("Split", "Nothing was changed; try again when the other "
                                               "run has finished."))
                   : stop(s, Outcome::Failed, piecesRemoved());
    // A set written without a checksum file must not keep an older set's
    // (nor what a killed run left of one).
    std::vector<std::string> obsolete;
    if (!plan.checksums) {
        (void)platform::removeLeftovers(target, plan.checksumName); // a count only
        if (target.idOf(plan.checksumName))
            obsolete.push_back(plan.checksumName);
    }
    if (Status s = platform::putInPlaceTogether(pieces, platform::Flush::None, obsolete); !s)
        return stop(s, Outcome::Failed, piecesRemoved());
    return std::nullopt;
}

bool copyToDisks(const SplitRequest &request, const SplitPlan &plan,
                 const platform::Directory &target, platform::Prompter &prompter,
                 int &piecesSkipped) {
    const int N = plan.layout.N;
    for (int i = 1; i <= N; ++i) {
        prompter.ask(detail::infoMessage(
            fill(DORVIK_TEXT("Split", "Insert disk #%1"), {std::to_string(i)}), "Dorvik"));
        const std::string &piece = plan.names[i - 1];
        // The checksum file travels with the first piece.
        std::vector<std::string> names = {piece};
        if (i == 1 && plan.checksums)
            names.push_back(plan.checksumName);
        std::int64_t total = 0;
        for (const std::string &name : names)
            total += platform::fileLength(target.pathOf(name)).value_or(0);
        std::optional<detail::ProgressReporter> progress;
        // Both files go onto the disk found once per try; Retry tries again
        // from the file that failed, Cancel skips what is left for the disk.
        std::size_t next = 0; // the file to copy next
        while (next < names.size()) {
            const std::optional<std::string> disk = findDisk(request, piece, prompter);
            if (!disk)
                break;
            Status s;
            for (; next < names.size(); ++next) {
                const std::string &name = names[next];
                const std::string dest = platform::joinRootAware(*disk, name);
                s = roomOnDisk(dest, platform::fileLength(target.pathOf(name)).value_or(0));
                if (s) {
                    if (!progress) {
                        progress.emplace(request.monitor, Activity::CopyingToDisk, N, total);
                        progress->beginPiece(i);
                    }
                    s = platform::copyFile(target.pathOf(name), dest, request.copyMethod,
                                           &*progress, platform::Flush::Durable);
                }
                if (!s)
                    break;
            }
            if (s)
                break;
            if (s.isStopped())
                return false;
            progress.reset(); // a retry starts the disk afresh
            const std::string what =
                names[next] == plan.checksumName
                    ? DORVIK_TEXT("Split",
                                  "The checksum file %1 was not copied to the disk. Retry "
                                  "after changing the disk, or Cancel to go on without it.")
                    : DORVIK_TEXT("Split", "The piece %1 was not copied to the disk. Retry after "
                                           "changing the disk, or Cancel to skip this piece.");
            const platform::Message m = detail::failureMessage(
                s.message(), fill(what, {names[next]}), platform::Buttons::RetryCancel);
            if (prompter.ask(m) != platform::Answer::Retry)
                break;
        }
        if (next == 0) // the piece itself (names[0]) is not on the disk
            ++piecesSkipped;
    }
    return true;
}

} // namespace stages

SplitResult split(const SplitRequest &request, platform::Prompter &prompter) {
    SplitResult result;
    detail::BusyScope busy(request.busy);
    // Ends the run as `stop` says, with its failure message (busy off first).
    auto end = [&](const Stop &stop) {
        if (!stop.reason.empty()) {
            busy.end();
            platform::Message m = detail::failureMessage(stop.reason, stop.consequence);
            m.icon = stop.icon;
            prompter.ask(m);
        }
        result.outcome = stop.outcome;
        return result;
    };

    stages::SplitPlan plan;
    if (auto stop = stages::checkSplit(request, prompter, result, plan))
        return end(*stop);
    if (auto stop = stages::checkSplitRoom(plan, prompter))
        return end(*stop);
    platform::Directory target;
    if (auto stop = stages::layOutSplit(plan, target, result))
        return end(*stop);
    std::vector<platform::NewFile> pieces;
    if (auto stop = stages::writePieces(plan, target, request.copyMethod, request.monitor, pieces))
        return end(*stop);
    if (auto stop = stages::putPiecesInPlace(plan, target, request.monitor, pieces))
        return end(*stop);
    if (request.copyToFloppy &&
        !stages::copyToDisks(request, plan, target, prompter, result.piecesNotOnDisks))
        return end(Stop{Outcome::Cancelled, {}, {}});

    busy.end();
    prompter.ask(detail::infoMessage(
        fill(DORVIK_TEXT("Split", "%1\n is successfully splitted!"), {plan.source}), "Dorvik "));
    result.outcome = Outcome::Done;
    return result;
}

} // namespace dorvik::engine
