#include "cli/run.h"

#include "cli/prompter.h"
#include "cli/stop.h"
#include "cli/system.h"
#include "platform/fs.h"
#include "splitter/engine/format.h"

namespace dorvik::cli {

namespace {

// A path the engine can take apart: a bare name gets the working
// directory's "." and a separator in front.
std::string withDirectory(const std::string &path) {
    if (!platform::directoryOf(path).empty())
        return path;
    return std::string(".") + platform::kSeparator + path;
}

// `cancelled` tells what a stop left behind.
// `notOnDisks`: the pieces a split's disk loop skipped.
int exitFor(engine::Outcome outcome, const RunState &state, Console &console,
            const std::string &cancelled, int notOnDisks = 0) {
    if (state.unanswered)
        return kRefused;
    switch (outcome) {
    case engine::Outcome::Done:
        if (notOnDisks > 0) {
            console.message(std::to_string(notOnDisks) +
                            (notOnDisks == 1 ? " piece was" : " pieces were") +
                            " not copied to a disk.");
            return kFailed;
        }
        return kDone;
    case engine::Outcome::Refused:
        return kRefused;
    case engine::Outcome::Cancelled:
        console.message(cancelled);
        return kCancelled;
    case engine::Outcome::Failed:
        return kFailed;
    }
    return kFailed;
}

int runSplit(const Options &o, Console &console) {
    const std::string source = withDirectory(o.file);
    if (o.floppy && !o.yes && !console.canAsk()) {
        console.message("--floppy asks for each disk in turn, and there is no terminal to ask "
                        "on; give --yes to copy to the disks without asking.");
        return kRefused;
    }
    RunState state;
    CliPrompter prompter(console, {o.yes, o.quiet, o.floppy}, state);
    ProgressMonitor monitor(console, o.quiet, state.stop);
    engine::SplitRequest request;
    request.sourcePath = source;
    request.targetDirectory = o.directory ? *o.directory : platform::directoryOf(source);
    const std::int64_t length = platform::fileLength(source).value_or(0);
    request.pieces = o.pieces ? *o.pieces : defaultPieces(length);
    if (o.bytes) {
        const engine::CountForSize count = engine::piecesForSize(length, *o.bytes);
        if (!count.pieces) {
            console.message(source + ": even 99 pieces would be larger than " +
                            std::to_string(*o.bytes) + " bytes; the smallest -b that works is " +
                            std::to_string(count.smallestLimit) + ".\nNothing was written.");
            return kRefused;
        }
        request.pieces = *count.pieces;
    }
    request.copyToFloppy = o.floppy;
    request.floppyDirectory = o.floppyDirectory;
    request.checksums = o.checksums;
    request.monitor = &monitor;
    const engine::SplitResult result = engine::split(request, prompter);
    console.clearProgress();
    const bool onDisks = monitor.lastActivity() == engine::Activity::CopyingToDisk;
    return exitFor(result.outcome, state, console,
                   onDisks ? "cancelled; the pieces in " + request.targetDirectory +
                                 " are complete, only the copying to disks was stopped."
                           : "cancelled; nothing was changed.",
                   result.piecesNotOnDisks);
}

int runJoin(const Options &o, Console &console) {
    const std::string first = withDirectory(o.file);
    RunState state;
    CliPrompter prompter(console, {o.yes, o.quiet, false}, state);
    ProgressMonitor monitor(console, o.quiet, state.stop);
    engine::JoinRequest request;
    request.firstPiecePath = first;
    request.targetDirectory = o.directory ? *o.directory : platform::directoryOf(first);
    request.deletePieces = o.deletePieces;
    request.monitor = &monitor;
    const engine::JoinResult result = engine::join(request, prompter);
    console.clearProgress();
    std::string cancelled = "cancelled; nothing was changed.";
    if (result.clearFields && result.suffix) // the file was rebuilt before the stop
        cancelled = "cancelled; " + first.substr(0, first.size() - 3) + *result.suffix +
                    " was joined, only its copy into " + request.targetDirectory + " was stopped.";
    return exitFor(result.outcome, state, console, cancelled);
}

int runCheck(const Options &o, Console &console) {
    RunState state;
    ProgressMonitor monitor(console, o.quiet, state.stop);
    const engine::SetVerification check = engine::verifySet(withDirectory(o.file), &monitor);
    console.clearProgress();
    switch (check.outcome) {
    case engine::Outcome::Done:
        break;
    case engine::Outcome::Cancelled:
        console.message("cancelled; nothing was changed.");
        return kCancelled;
    case engine::Outcome::Refused:
        console.message(check.reason + "\njoin would refuse this set; nothing was written.");
        return kRefused;
    case engine::Outcome::Failed:
        console.message(check.reason + "\njoin would fail on this set; nothing was written.");
        return kFailed;
    }
    if (o.quiet)
        return kDone;
    const engine::PieceSet &set = *check.set;
    const std::string directory = platform::directoryOf(set.pieces.front());
    std::string text = "rebuilds: " + set.rebuiltPath + "\n";
    text += "length:   " + std::to_string(set.rebuiltLength) + " bytes\n";
    text += "pieces:   " + std::to_string(set.count) + ", " +
            platform::fileNameOf(set.pieces.front()) + " to " +
            platform::fileNameOf(set.pieces.back()) + " in " + directory + "\n";
    text += "size:     " + std::to_string(set.pieceSize) + " data bytes each, the last " +
            std::to_string(set.lastLength) + "\n";
    if (check.verified)
        text += "checked:  every piece and the rebuilt file match " +
                platform::fileNameOf(check.checksumPath) + "\n";
    else
        text += "checked:  sizes only; there is no " + platform::fileNameOf(check.checksumPath) +
                " to check the contents by\n";
    if (platform::exists(set.rebuiltPath))
        text += "note:     " + set.rebuiltPath + " exists and would be replaced\n";
    return console.report(text) ? kDone : kFailed;
}

} // namespace

int defaultPieces(std::int64_t length) {
    if (const std::optional<int> n = engine::suggestedPieces(length))
        return *n;
    return length > engine::kFloppyBytes * engine::kMaxPieces ? engine::kMaxPieces
                                                              : engine::kMinPieces;
}

int run(const Options &o, Console &console) {
    switch (o.command) {
    case Command::Help:
        return console.report(helpText()) ? kDone : kFailed;
    case Command::Version:
        return console.report(versionText() + "\n") ? kDone : kFailed;
    case Command::Split:
    case Command::Join:
    case Command::Check:
        break;
    }
    if (const std::optional<std::string> problem = inputProblem(o.file)) {
        console.message(*problem);
        return kRefused;
    }
    switch (o.command) {
    case Command::Split:
        return runSplit(o, console);
    case Command::Join:
        return runJoin(o, console);
    default:
        return runCheck(o, console);
    }
}

int runProgram(const std::vector<std::string> &args) {
    if (!openStandardDescriptors())
        return kFailed; // nowhere to tell of it
    const ParsedArguments parsed = parseArguments(args);
    if (!parsed.options) {
        Console console(Console::Channels{});
        console.message(parsed.error + "\nTry 'dorvik-cli --help' for more information.");
        return kRefused;
    }
    if (const std::string problem = installStopHandlers(); !problem.empty()) {
        Console console(Console::Channels{});
        console.message(problem);
        return kFailed;
    }
    Console console(Console::processChannels());
    return run(*parsed.options, console);
}

} // namespace dorvik::cli
