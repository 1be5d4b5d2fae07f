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

// Windows-1252 as browsers read it: the characters of 0x80 to 0x9F. The
// five bytes Windows-1252 leaves unused stand for the control characters of
// the same number, so that every byte has a character and back.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> byteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (unsigned k = 0; k < 32; ++k)
        if (kHighControls[k] == c)
            return static_cast<unsigned char>(0x80 + k);
    return std::nullopt;
}

// The character that starts at `i`, which moves past it; nullopt for
// anything but the shortest UTF-8 form of a character.
std::optional<char32_t> decode(std::string_view utf8, std::size_t &i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (i + length > utf8.size())
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(utf8[i + k]);
        if (!isContinuation(b))
            return std::nullopt;
        c = (c << 6) | (b & 0x3Fu);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    i += length;
    return c;
}

void encode(char32_t c, std::string &out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
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

std::string firstBytes(std::string_view utf8, std::size_t bytes) {
    if (utf8.size() <= bytes)
        return std::string(utf8);
    std::size_t cut = bytes;
    while (cut > 0 && isContinuation(static_cast<unsigned char>(utf8[cut])))
        --cut;
    return std::string(utf8.substr(0, cut));
}

std::optional<std::string> toEightBit(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> c = decode(utf8, i);
        if (!c)
            return std::nullopt;
        const std::optional<unsigned char> byte = byteOf(*c);
        if (!byte)
            return std::nullopt;
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

std::string fromEightBit(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        encode(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c, out);
    }
    return out;
}

} // namespace dorvik::platform
