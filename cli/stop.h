// Stopping a run from outside: Ctrl+C, SIGTERM, a closed terminal (on
// Windows: Ctrl+C, Ctrl+Break, a closed console window, logging off).
#pragma once

#include <string>

namespace dorvik::cli {

// Installs a handler for SIGINT, SIGTERM and SIGHUP that only records the
// signal (async-signal-safe), without SA_RESTART so that a wait for an answer
// on the terminal wakes up. Also ignores SIGPIPE, so that a closed stderr or
// stdout turns into failed writes instead of killing the process half-way.
// Empty, or "call: reason" when a handler could not be installed.
std::string installStopHandlers();

// The signal that asked the run to stop, 0 while none did.
int stopSignal();

// Forgets a recorded signal (for tests that run several operations).
void clearStopSignal();

} // namespace dorvik::cli
