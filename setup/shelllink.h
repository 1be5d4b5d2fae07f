// Loading the program-menu library at run time.
#pragma once

#include "setup/installrun.h"

#include <string>

namespace dorvik::setup {

// Loads the library at exactly `libraryPath` (never searched for), calls its
// fCreateShellLink with the four strings and unloads it. False when the
// library cannot be loaded, lacks the function, or the function reports
// failure.
bool callShellLinkLibrary(const std::string &libraryPath, const ShellLinkCall &call);

} // namespace dorvik::setup
