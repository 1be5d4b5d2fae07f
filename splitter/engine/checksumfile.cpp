#include "splitter/engine/checksumfile.h"

#include "platform/translate.h"

#include <optional>

namespace dorvik::engine {

namespace {

bool needsEscape(std::string_view name) {
    return name.find_first_of("\\\n\r") != std::string_view::npos;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The name of an escaped line: "\\", "\n" and "\r" stand for the character;
// any other backslash makes the line invalid (nullopt).
std::optional<std::string> unescape(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            name += '\\';
            break;
        case 'n':
            name += '\n';
            break;
        case 'r':
            name += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return name;
}

// One line without its line end; "" when it is sound, else why not.
std::string parseLine(std::string_view line, ChecksumLine &out) {
    if (line.empty())
        return DORVIK_TEXT("Checksums", "blank line");
    if (line.find('\0') != std::string_view::npos)
        return DORVIK_TEXT("Checksums", "NUL byte in the line");
    const bool escaped = line[0] == '\\';
    std::string_view rest = line.substr(escaped ? 1 : 0);
    std::size_t digits = 0;
    while (digits < rest.size() && isHexDigit(rest[digits]))
        ++digits;
    if (digits != 64)
        return DORVIK_TEXT("Checksums", "the checksum is not 64 hexadecimal digits");
    out.digest = *fromHex(rest.substr(0, 64));
    rest.remove_prefix(64);
    if (rest.size() < 2 || rest[0] != ' ' || (rest[1] != ' ' && rest[1] != '*'))
        return DORVIK_TEXT("Checksums", "no \"  \" or \" *\" after the checksum");
    rest.remove_prefix(2);
    if (rest.empty())
        return DORVIK_TEXT("Checksums", "no file name");
    if (!escaped) {
        out.name = std::string(rest);
        return {};
    }
    std::optional<std::string> name = unescape(rest);
    if (!name)
        return DORVIK_TEXT("Checksums", "unknown escape in the file name");
    out.name = std::move(*name);
    return {};
}

} // namespace

std::string formatChecksums(const std::vector<ChecksumLine> &lines) {
    std::string text;
    for (const ChecksumLine &line : lines) {
        const bool escape = needsEscape(line.name);
        if (escape)
            text += '\\';
        text += toHex(line.digest);
        text += "  ";
        if (!escape) {
            text += line.name;
        } else {
            for (char c : line.name) {
                if (c == '\\')
                    text += "\\\\";
                else if (c == '\n')
                    text += "\\n";
                else if (c == '\r')
                    text += "\\r";
                else
                    text += c;
            }
        }
        text += '\n';
    }
    return text;
}

// parseChecksums: the text is cut at line feeds (a final one ends the last
// line rather than starting an empty one), one carriage return before a line
// end is dropped, and every line must be sound; the first that is not is
// reported by its number, counting from 1.
ParsedChecksums parseChecksums(std::string_view text) {
    ParsedChecksums parsed;
    if (text.empty()) {
        parsed.error = DORVIK_TEXT("Checksums", "no checksum lines");
        return parsed;
    }
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ChecksumLine entry;
        if (std::string why = parseLine(line, entry); !why.empty()) {
            parsed.lines.clear();
            parsed.error = platform::fill(DORVIK_TEXT("Checksums", "line %1: %2"),
                                          {std::to_string(number), why});
            return parsed;
        }
        parsed.lines.push_back(std::move(entry));
    }
    return parsed;
}

} // namespace dorvik::engine
