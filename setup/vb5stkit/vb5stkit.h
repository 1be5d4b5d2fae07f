// The program-menu library that the installer loads from the target
// directory while it runs.
#pragma once

extern "C" {

// Adds an entry for `program` (started with `arguments`, blank-separated
// words) under the caption `caption` to the user's program menu, in the
// sub-menu `folder` when that is not empty. Returns non-zero on success.
// On POSIX the entry is a desktop entry file in the user's applications
// directory ($XDG_DATA_HOME/applications, by default
// ~/.local/share/applications).
__attribute__((visibility("default"))) int fCreateShellLink(const char *folder, const char *caption,
                                                            const char *program,
                                                            const char *arguments);
}
