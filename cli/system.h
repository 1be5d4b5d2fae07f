// What dorvik-cli needs from the system it runs on: its arguments, its
// standard descriptors, writing to its channels, reading what the user types,
// the terminal's width and a first look at the file it was given. The rest of
// the console (which channels, asking, the progress line) is in console.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::cli {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> programArguments(int argc, char **argv);

// Opens /dev/null on any of the descriptors 0, 1 and 2 that is closed, so
// that no file the program opens can take its number and receive its
// messages. False (errno set) when that failed.
bool openStandardDescriptors();

// Writes all of `text` (UTF-8) to the channel `fd`: "" when all of it was
// written, else the system's reason of the write that failed (the rest is
// dropped).
std::string writeAll(int fd, const std::string &text);

// Closes a channel opened for the console.
void closeChannel(int fd);

// Waits a moment (200 ms at most) for what the user types on the channel
// `fd`: the text read (UTF-8), "" when nothing came in that time or the wait
// was interrupted, nullopt at the end of the input or on an error.
std::optional<std::string> readTyped(int fd);

// The width of the terminal on the channel `fd` in characters, 80 when it
// cannot be told.
std::size_t terminalWidth(int fd);

// What erases a terminal's line from the cursor to its end; "" where the
// terminal knows no such thing (the line is then overwritten with blanks).
std::string_view eraseToLineEnd();

// The file named on the command line must be there and be a regular file;
// otherwise the reason, "name: reason". Nullopt too for a failure that the
// operation reports in its own words.
std::optional<std::string> inputProblem(const std::string &path);

} // namespace dorvik::cli
