#include "platform/text.h"

namespace dorvik::platform {

namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Byte offset at which the last `count` characters begin.
std::size_t offsetOfLast(std::string_view utf8, std::size_t count) {
    std::size_t pos = utf8.size();
    while (count > 0 && pos > 0) {
        --pos;
        while (pos > 0 && isContinuation(static_cast<unsigned char>(utf8[pos])))
            --pos;
        --count;
    }
    return pos;
}

} // namespace

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if (!isContinuation(static_cast<unsigned char>(c)))
            ++n;
    return n;
}

std::string lastCharacters(std::string_view utf8, std::size_t count) {
    return std::string(utf8.substr(offsetOfLast(utf8, count)));
}

std::string withoutLastCharacters(std::string_view utf8, std::size_t count) {
    if (characterCount(utf8) <= count)
        return {};
    return std::string(utf8.substr(0, offsetOfLast(utf8, count)));
}

std::optional<std::string> toEightBit(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size() &&
                   isContinuation(static_cast<unsigned char>(utf8[i + 1]))) {
            const unsigned code =
                ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            if (code < 0x80 || code > 0xFF)
                return std::nullopt; // overlong, or beyond Latin-1
            out.push_back(static_cast<char>(code));
            i += 2;
        } else {
            return std::nullopt; // three- and four-byte forms are beyond Latin-1
        }
    }
    return out;
}

std::string fromEightBit(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace dorvik::platform
