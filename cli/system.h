// What dorvik-cli needs from the system it runs on: its arguments, writing
// to its channels, and a first look at the file it was given. The rest of
// the console (which channels, asking, the progress line) is in console.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dorvik::cli {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> programArguments(int argc, char **argv);

// Writes all of `text` (UTF-8) to the channel `fd`: "" when all of it was
// written, else the system's reason of the write that failed (the rest is
// dropped).
std::string writeAll(int fd, const std::string &text);

// The file named on the command line must be there and be a regular file;
// otherwise the reason, "name: reason". Nullopt too for a failure that the
// operation reports in its own words.
std::optional<std::string> inputProblem(const std::string &path);

} // namespace dorvik::cli
