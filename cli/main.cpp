// dorvik-cli: split, join and check piece sets from a shell or a script.
#include "cli/run.h"
#include "cli/system.h"
#include "platform/copy.h"
#include "platform/process.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    dorvik::platform::ignoreFileSizeSignal();

    // Test seam, read here only: DORVIK_TEST_COPY_DELAY_US makes every copy
    // round wait that many microseconds, so that the process tests can stop
    // a split half-way. Not meant for users.
    if (const char *delay = std::getenv("DORVIK_TEST_COPY_DELAY_US")) {
        char *end = nullptr;
        const long long us = std::strtoll(delay, &end, 10);
        if (end != delay && *end == '\0' && us > 0)
            dorvik::platform::setCopyRoundDelay(std::chrono::microseconds(us));
    }

    return dorvik::cli::runProgram(dorvik::cli::programArguments(argc, argv));
}
