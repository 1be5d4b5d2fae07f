// The command line of dorvik-cli: what the user asked for, read from the
// arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvik::cli {

enum class Command { Help, Version, Split, Join, Check };

struct Options {
    Command command = Command::Help;
    std::string file;                     // FILE (split) or FILE.000 (join, check)
    std::optional<int> pieces;            // -n; unset: the suggested count
    std::optional<std::int64_t> bytes;    // -b: the most bytes a piece may have
    std::optional<std::string> directory; // -d; unset: the file's directory
    bool floppy = false;                  // --floppy
    bool checksums = true;                // split: no --no-checksum
    std::string floppyDirectory;          // --floppy=DIR; "" = the usual floppy directory
    bool deletePieces = false;            // --delete
    bool yes = false;                     // --yes
    bool quiet = false;                   // --quiet

    bool operator==(const Options &) const = default;
};

// Either the options or, for a command line that cannot be run, what is
// wrong with it (one line, without the program name).
struct ParsedArguments {
    std::optional<Options> options;
    std::string error;
};

// Reads the arguments after the program name. Options may stand before or
// after the command and FILE; "--" ends the options. --help or --version
// anywhere wins over everything else. Every option must fit the command it
// is given with (-n, -b, --floppy and --no-checksum: split; --delete: join;
// -d: split and join; --yes: split and join). The piece count must be a
// decimal number from 2 to 99; -n and -b exclude each other. Short options
// may be bundled as with getopt: "-qy"; a letter that takes a value takes
// the rest of the bundle ("-qn5") or, ending it, the next argument ("-qn 5").
ParsedArguments parseArguments(const std::vector<std::string> &args);

// A size as -b takes it, in coreutils' spelling: decimal digits, then
// nothing (bytes), K, M, G or T (powers of 1024; also KiB, MiB, ...) or KB,
// MB, GB or TB (powers of 1000). Nullopt for anything else, for 0, and for a
// size beyond 2^63 - 1.
std::optional<std::int64_t> parseSize(const std::string &text);

// The text of --help, ending in a line feed.
std::string helpText();

// The program's name and version, as --version prints it (one line).
std::string versionText();

} // namespace dorvik::cli
