#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"
#include "splitter/engine/report.h"

#include <cerrno>
#include <string>
#include <vector>

namespace dorvik::engine {

namespace {

using platform::Status;

const char kNothingWritten[] = "Nothing was written.";
const char kPiecesRemoved[] = "The split was stopped; the pieces it had written were removed.";

// Removes the files of `paths`. Used only while a failure is being reported:
// a file that cannot be removed as well changes nothing about that report.
void removeAll(const std::vector<std::string> &paths) {
    for (const std::string &p : paths)
        (void)platform::removeFile(p);
}

// Writes piece `k` of the set into the new file `path`: its data from the
// source (P bytes, the last piece P + R), behind the first piece's data its
// trailer.
Status writePiece(const platform::File &in, const std::string &path, const Layout &l, int k,
                  const std::string &trailerBytes, platform::CopyMethod method,
                  detail::ProgressReporter &progress) {
    platform::File out;
    if (Status s = out.open(path, platform::File::Mode::Create); !s)
        return s;
    const std::int64_t length = (k == l.N - 1) ? l.P + l.R : l.P;
    if (Status s = platform::copyIntoNewFile(in, k * l.P, out, 0, length,
                                             static_cast<std::size_t>(l.b), method, &progress);
        !s)
        return s;
    if (k == 0) {
        if (Status s = out.writeAt(l.P, trailerBytes.data(), trailerBytes.size()); !s)
            return s;
    }
    return out.close();
}

// The floppy loop: one prompt and one piece per disk, in index order. A copy
// that fails is reported with the piece and the reason; Retry copies the
// piece again (after the user changed disks), Cancel skips it. False when the
// user stopped the run through the monitor (the disk's half copy is gone).
bool copyToFloppies(const SplitRequest &request, const std::vector<std::string> &pieces,
                    const std::string &baseName, platform::Prompter &prompter) {
    const std::string floppy =
        request.floppyDirectory.empty() ? platform::floppyDirectory() : request.floppyDirectory;
    for (int i = 1; i <= static_cast<int>(pieces.size()); ++i) {
        prompter.ask(detail::infoMessage("Insert disk #" + std::to_string(i), "Dorvik"));
        const std::string name = pieceName(baseName, i - 1);
        const std::string dest = platform::joinRootAware(floppy, name);
        for (;;) {
            const std::int64_t length = platform::fileLength(pieces[i - 1]).value_or(0);
            detail::ProgressReporter progress(request.monitor, Activity::CopyingToDisk,
                                              static_cast<int>(pieces.size()), length);
            progress.beginPiece(i);
            Status s = platform::copyFile(pieces[i - 1], dest, request.copyMethod, &progress);
            if (s)
                break;
            if (s.isCancelled())
                return false;
            const platform::Message m = detail::failureMessage(
                s.message(),
                "The piece " + name +
                    " was not copied to the disk. Retry after changing the disk, or Cancel to "
                    "skip this piece.",
                platform::Buttons::RetryCancel);
            if (prompter.ask(m) != platform::Answer::Retry)
                break;
        }
    }
    return true;
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

// split: cuts request.sourcePath into request.pieces pieces in
// request.targetDirectory and, on request, copies them to floppy disks.
//
// The source is identified by its full path alone: its name (for the base
// name) and its directory are taken from sourcePath. The working directory is
// never changed.
//
// Order of the checks, each ending the run before anything is written:
// a missing or unreadable source (Failed), a count outside 2 to 99 (Refused),
// pieces under 30000 bytes ("The splitted file can´t be less then 30 Kb.",
// title "dorvik"; Refused), a name of fewer than three characters or a suffix
// outside Latin-1 (Refused), a piece that would replace the source itself
// or a directory in a piece's place (Refused), then the floppy-size warning
// above an average of 1400000 bytes (OK/Cancel, Cancel gives Cancelled). The
// target directory is then made (one level); when it is no directory
// afterwards the run fails.
//
// Every piece is written under a temporary name in the target directory, the
// first one with its trailer; only when the whole set is complete are they
// renamed into place. A failing open, copy, write, close or rename removes
// every file this run wrote, leaves the files that were there untouched (a
// failing rename can only have replaced pieces of the same names), reports
// "name: reason" and shows no success message (Failed).
//
// busy(true) comes first; busy(false) comes after the messages of the 30 Kb
// refusal and the size warning, before every other message, and before the
// success message "<source>\n is successfully splitted!" (title "Dorvik ").
// result.suffix is set once the source path has been read, and
// result.targetDirectory once the target has been made.
SplitResult split(const SplitRequest &request, platform::Prompter &prompter) {
    SplitResult result;
    detail::BusyScope busy(request.busy);
    auto fail = [&](Outcome outcome, const std::string &reason, const std::string &what) {
        busy.end();
        prompter.ask(detail::failureMessage(reason, what));
        result.outcome = outcome;
        return result;
    };

    const std::string &source = request.sourcePath;
    if (source.empty())
        return fail(Outcome::Refused, "No file to split was chosen.", kNothingWritten);
    result.suffix = platform::lastCharacters(source, 3);

    // (Checked before the open, which would wait forever on a named pipe.)
    if (platform::exists(source) && !platform::isRegularFile(source))
        return fail(Outcome::Failed, source + ": Not a regular file", kNothingWritten);
    platform::File in;
    if (Status s = in.open(source, platform::File::Mode::Read); !s)
        return fail(Outcome::Failed, s.message(), kNothingWritten);
    Status lengthStatus;
    const std::optional<std::int64_t> L = in.length(&lengthStatus);
    if (!L)
        return fail(Outcome::Failed, lengthStatus.message(), kNothingWritten);

    const int N = request.pieces;
    if (N < kMinPieces || N > kMaxPieces)
        return fail(Outcome::Refused,
                    "The piece count " + std::to_string(N) + " does not lie from 2 to 99.",
                    kNothingWritten);
    const std::optional<Layout> l = layout(*L, N);
    if (!l) {
        prompter.ask(
            detail::infoMessage("The splitted file can\u00b4t be less then 30 Kb.", "dorvik"));
        result.outcome = Outcome::Refused;
        return result;
    }

    const std::string sourceName = platform::fileNameOf(source);
    if (platform::characterCount(sourceName) < 3)
        return fail(Outcome::Refused,
                    source + ": the name must have at least three characters to be split.",
                    kNothingWritten);
    const std::optional<std::string> suffixBytes = platform::toEightBit(*result.suffix);
    if (!suffixBytes)
        return fail(Outcome::Refused,
                    source + ": the last three characters of the name, \"" + *result.suffix +
                        "\", cannot be stored in a piece set (only Latin-1 characters can).",
                    kNothingWritten);
    const std::string baseName = platform::withoutLastCharacters(sourceName, 3);

    const std::string &target = request.targetDirectory;
    if (target.empty())
        return fail(Outcome::Refused, "No directory to split into was chosen.", kNothingWritten);
    const std::string shortTarget = platform::shortenRootForTarget(target);
    std::vector<std::string> pieces;
    for (int k = 0; k < N; ++k)
        pieces.push_back(platform::joinRootAware(shortTarget, pieceName(baseName, k)));

    // A piece must never replace the source, neither by name in the source's
    // own directory nor through another name of the same file.
    const std::optional<platform::FileId> sourceId = platform::fileId(source);
    const bool sourceDirIsTarget = platform::sameFile(target, platform::directoryOf(source));
    for (int k = 0; k < N; ++k) {
        const std::optional<platform::FileId> id = platform::fileId(pieces[k]);
        if ((sourceDirIsTarget && pieceName(baseName, k) == sourceName) ||
            (sourceId && id && *id == *sourceId))
            return fail(Outcome::Refused,
                        pieces[k] + ": this piece would replace the file being split.",
                        "Choose another directory to split into; nothing was written.");
        // The pieces take their names only once all are written; a directory
        // in the way would stop that half-way, after earlier pieces had
        // replaced files of their names.
        if (platform::isDirectory(pieces[k]))
            return fail(Outcome::Refused, platform::Status::fromErrno(pieces[k], EISDIR).message(),
                        kNothingWritten);
    }

    if (*L > kFloppyBytes * N) { // the average piece, L / N, exceeds a disk
        const platform::Message warning = detail::infoMessage(
            "The files will be larger than 1,4 Mb,\nand will not fit on floppy disks.", "Dorvik",
            platform::Buttons::OkCancel);
        if (prompter.ask(warning) != platform::Answer::Ok) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
    }

    if (Status s = platform::makeDirectory(target); !s)
        return fail(Outcome::Failed, s.message(), kNothingWritten);
    result.targetDirectory = shortTarget;

    const std::string trailerBytes = trailer(N, *suffixBytes);
    std::vector<std::string> temporaries;
    detail::ProgressReporter progress(request.monitor, Activity::Splitting, N, *L);
    for (int k = 0; k < N; ++k) {
        temporaries.push_back(platform::temporaryNameFor(pieces[k]));
        progress.beginPiece(k + 1);
        if (Status s = writePiece(in, temporaries.back(), *l, k, trailerBytes, request.copyMethod,
                                  progress);
            !s) {
            removeAll(temporaries);
            if (s.isCancelled()) {
                result.outcome = Outcome::Cancelled;
                return result;
            }
            return fail(Outcome::Failed,
                        platform::underFinalName(s, temporaries.back(), pieces[k]).message(),
                        kPiecesRemoved);
        }
    }
    if (Status s = in.close(); !s) {
        removeAll(temporaries);
        return fail(Outcome::Failed, s.message(), kPiecesRemoved);
    }
    for (int k = 0; k < N; ++k) {
        if (Status s = platform::renameFile(temporaries[k], pieces[k]); !s) {
            removeAll({pieces.begin(), pieces.begin() + k});
            removeAll({temporaries.begin() + k, temporaries.end()});
            return fail(Outcome::Failed, s.message(), kPiecesRemoved);
        }
    }

    if (request.copyToFloppy && !copyToFloppies(request, pieces, baseName, prompter)) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    busy.end();
    prompter.ask(detail::infoMessage(source + "\n is successfully splitted!", "Dorvik "));
    result.outcome = Outcome::Done;
    return result;
}

} // namespace dorvik::engine
