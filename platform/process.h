// Process-wide settings every program of Dorvik makes at its start.
#pragma once

namespace dorvik::platform {

// Ignores SIGXFSZ, so that a write beyond the process's file-size limit
// (ulimit -f) fails with EFBIG and is reported like any other failed write,
// instead of ending the program on the spot with its temporary files left
// behind. Called first thing in main() of every program; children inherit it.
void ignoreFileSizeSignal();

} // namespace dorvik::platform
