// Process-wide settings a program makes once, at the start of main.
#pragma once

namespace dorvik::platform {

// Ignores SIGXFSZ, so that a write beyond the file-size limit (RLIMIT_FSIZE)
// fails with EFBIG and is reported like any other failed write, instead of
// killing the process half-way and leaving partly written files behind.
// Call it first thing in main, before any file is written.
void ignoreFileSizeSignal();

} // namespace dorvik::platform
