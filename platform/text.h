// Text conversions between the programs' UTF-8 strings and the 8-bit
// character set in which a piece set stores its name suffix: Windows-1252 as
// browsers read it (every byte a character), on every system, so that a set
// made on one system joins under the same name on the other.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dorvik::platform {

// Number of characters (code points) of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);
// The last `count` characters of a UTF-8 text (whole text when shorter).
std::string lastCharacters(std::string_view utf8, std::size_t count);
// The text without its last `count` characters ("" when shorter).
std::string withoutLastCharacters(std::string_view utf8, std::size_t count);
// The longest start of a UTF-8 text that has at most `bytes` bytes and ends
// at a character boundary (a name cut to fit a directory entry).
std::string firstBytes(std::string_view utf8, std::size_t bytes);
// UTF-8 to Windows-1252 bytes; nullopt when a character has no such byte
// or the text is not valid UTF-8.
std::optional<std::string> toEightBit(std::string_view utf8);
// Windows-1252 bytes to UTF-8 (every byte has a character).
std::string fromEightBit(std::string_view bytes);

} // namespace dorvik::platform
