// Text conversions between the programs' UTF-8 strings and the system's 8-bit
// character set (Latin-1 here), in which a piece set stores its name suffix.
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
// UTF-8 to 8-bit bytes; nullopt when a character has no 8-bit form or the
// text is not valid UTF-8.
std::optional<std::string> toEightBit(std::string_view utf8);
// 8-bit bytes to UTF-8.
std::string fromEightBit(std::string_view bytes);

} // namespace dorvik::platform
