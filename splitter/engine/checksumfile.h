// The checksum file beside a piece set: one line per file, its SHA-256 and
// its name, in the text GNU sha256sum writes and `sha256sum -c` checks.
#pragma once

#include "splitter/engine/sha256.h"

#include <string>
#include <string_view>
#include <vector>

namespace dorvik::engine {

struct ChecksumLine {
    std::string name;
    Sha256::Digest digest{};
    bool operator==(const ChecksumLine &) const = default;
};

// The text of a checksum file, as sha256sum writes it in text mode: per line
// 64 lowercase hex digits, two blanks and the name, then a line feed. A name
// holding a backslash, a line feed or a carriage return is written escaped
// ("\\", "\n", "\r") and its line starts with a backslash. Names are not
// empty and hold no NUL byte (no file name does).
std::string formatChecksums(const std::vector<ChecksumLine> &lines);

// A checksum file read back: its lines, or why it is not one.
struct ParsedChecksums {
    std::vector<ChecksumLine> lines;
    std::string error; // "line 3: ..." when the text is refused; lines is then empty
    bool ok() const { return error.empty(); }
};

// Reads what sha256sum writes: the separators "  " (text) and " *" (binary),
// escaped names, hex digits of either case, lines ended by a line feed or by
// a carriage return and a line feed, the last line with or without its end.
// Refuses empty text and any line that is blank, holds a NUL byte, lacks the
// 64 hex digits or the separator, has no name or an unknown escape. Names
// come back as written, paths too: a caller opens only the names it expects.
ParsedChecksums parseChecksums(std::string_view text);

} // namespace dorvik::engine
