// Reads a desktop entry back the way a menu does: string unescaping first,
// then the Exec line's quoting and field codes. Strict: an escape or field
// code a menu would reject, an unquoted argument or anything but the one
// group of keys makes the read fail.
#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvik::testing {

inline std::optional<std::string> unescapeDesktopValue(const std::string &value) {
    constexpr std::string_view escaped = "sntr\\", meant = " \n\t\r\\";
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        const std::size_t k = ++i < value.size() ? escaped.find(value[i]) : escaped.npos;
        if (k == escaped.npos)
            return std::nullopt;
        out += meant[k];
    }
    return out;
}

// The arguments of an unescaped Exec value, each in double quotes.
inline std::optional<std::vector<std::string>> splitExec(const std::string &exec) {
    std::vector<std::string> args;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] == ' ')
            continue;
        if (exec[i] != '"')
            return std::nullopt;
        std::string arg;
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            const char c = exec[i];
            if (c == '`' || c == '$')
                return std::nullopt; // must be escaped inside quotes
            if (c == '\\' || c == '%') {
                // "\x" for one of '"', '`', '$', '\'; "%%" for '%'; else a field code
                const char n = i + 1 < exec.size() ? exec[++i] : '\0';
                if (c == '\\' ? std::string_view("\"`$\\").find(n) == std::string_view::npos
                              : n != '%')
                    return std::nullopt;
                arg += n;
            } else {
                arg += c;
            }
        }
        if (i == exec.size())
            return std::nullopt; // unterminated
        args.push_back(arg);
    }
    return args;
}

// Keys of the [Desktop Entry] group, values unescaped.
inline std::optional<std::map<std::string, std::string>> readDesktopEntry(const std::string &path) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != "[Desktop Entry]")
        return std::nullopt;
    std::map<std::string, std::string> keys;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        const auto value =
            eq == std::string::npos ? std::nullopt : unescapeDesktopValue(line.substr(eq + 1));
        if (!value)
            return std::nullopt;
        keys[line.substr(0, eq)] = *value;
    }
    return keys;
}

} // namespace dorvik::testing
