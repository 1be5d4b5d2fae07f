// Running one command of dorvik-cli.
#pragma once

#include "cli/console.h"
#include "cli/options.h"
#include "splitter/engine/operations.h"

#include <string>
#include <vector>

namespace dorvik::cli {

// Exit statuses.
enum Exit : int {
    kDone = 0,      // done
    kRefused = 1,   // usage error, bad input, a set that fails its check, an unanswered question
    kCancelled = 2, // stopped by the user
    kFailed = 3,    // a file could not be read or written
};

// The piece count a split uses when none is given: the suggested count,
// else 2 for a file that fits one disk and 99 for one that needs more.
int defaultPieces(std::int64_t length);

// Runs split, join or check as `options` say, talking through `console`;
// returns the exit status. Signals are the caller's to install.
int run(const Options &options, Console &console);

// The whole program on the arguments after its name: --help, --version,
// usage errors, the standard descriptors, the stop handlers, the process's console, run().
int runProgram(const std::vector<std::string> &args);

} // namespace dorvik::cli
