// Reads a desktop entry back the way a menu does: string unescaping first,
// then the Exec line's quoting and field codes. Strict: an escape or field
// code a menu would reject makes the read fail.
#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace dorvik::testing {

inline std::optional<std::string> unescapeDesktopValue(const std::string &value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The arguments of an unescaped Exec value.
inline std::optional<std::vector<std::string>> splitExec(const std::string &exec) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < exec.size()) {
        if (exec[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (exec[i] == '"') {
            for (++i;; ++i) {
                if (i >= exec.size())
                    return std::nullopt; // unterminated
                const char c = exec[i];
                if (c == '"')
                    break;
                if (c == '\\') {
                    if (i + 1 >= exec.size())
                        return std::nullopt;
                    const char n = exec[++i];
                    if (n != '"' && n != '`' && n != '$' && n != '\\')
                        return std::nullopt;
                    arg += n;
                } else if (c == '`' || c == '$') {
                    return std::nullopt; // must be escaped inside quotes
                } else if (c == '%') {
                    if (i + 1 >= exec.size() || exec[i + 1] != '%')
                        return std::nullopt; // a field code
                    arg += '%';
                    ++i;
                } else {
                    arg += c;
                }
            }
            ++i;
        } else {
            while (i < exec.size() && exec[i] != ' ') {
                const char c = exec[i];
                if (std::string("\"'\\><~|&;$*?#()`").find(c) != std::string::npos)
                    return std::nullopt; // reserved outside quotes
                if (c == '%') {
                    if (i + 1 >= exec.size() || exec[i + 1] != '%')
                        return std::nullopt;
                    ++i;
                }
                arg += exec[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

// Keys of the [Desktop Entry] group, values unescaped.
inline std::optional<std::map<std::string, std::string>> readDesktopEntry(const std::string &path) {
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::map<std::string, std::string> keys;
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup)
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            return std::nullopt;
        const auto value = unescapeDesktopValue(line.substr(eq + 1));
        if (!value)
            return std::nullopt;
        keys[line.substr(0, eq)] = *value;
    }
    return keys;
}

} // namespace dorvik::testing
