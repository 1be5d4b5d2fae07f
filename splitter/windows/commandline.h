// The program's command line: `Dorvik [FILE]`, `--help`, `--version`. Read
// before any window exists, so that the printing options need no display.
#pragma once

#include <optional>
#include <string>

namespace dorvik::splitter {

struct CommandLine {
    enum class Action {
        Start, // start the windows, opening `file` when there is one
        Print, // print `text` to standard output and end with `status`
        Refuse // print `text` (one line) to standard error, end with `status`
    };
    Action action = Action::Start;
    std::optional<std::string> file;
    std::string text;
    int status = 0;
};

// Reads the arguments after the program's name. Options: --help (-h) and
// --version; "--" ends the options, and "-" alone is a file name. An unknown
// option or a second file is refused with status 2. The first argument that
// decides the outcome wins.
CommandLine readCommandLine(int argc, const char *const *argv);

// For Print and Refuse: writes the text where it belongs and returns the exit
// status (1 when standard output cannot take the text).
int finish(const CommandLine &line);

} // namespace dorvik::splitter
