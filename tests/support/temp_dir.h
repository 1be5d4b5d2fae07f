// A directory of its own for each test, removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>

namespace dorvik::testing {

// A UTF-8 path as the standard library's file calls take it (on Windows they
// would read a plain string in the ANSI code page), and back.
inline std::filesystem::path fsPath(const std::string &utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t *>(utf8.data()), utf8.size()));
}
inline std::string utf8Of(const std::filesystem::path &path) {
    const std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char *>(s.data()), s.size());
}

class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        std::random_device random;
        for (int tries = 0; tries < 100 && path_.empty(); ++tries) {
            const fs::path made = fs::temp_directory_path() /
                                  ("dorvik-test-" + std::to_string(random() % 1000000000u));
            std::error_code ec;
            if (fs::create_directory(made, ec)) {
                fs::permissions(made, fs::perms::owner_all, fs::perm_options::replace, ec);
                path_ = utf8Of(made);
            }
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(fsPath(path_), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(fsPath(path_), ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    // `name` in the directory; a '/' in `name` separates as the system does.
    std::string operator/(std::string name) const {
#ifdef _WIN32
        for (char &c : name)
            if (c == '/')
                c = '\\';
        return path_ + "\\" + name;
#else
        return path_ + "/" + name;
#endif
    }

private:
    std::string path_;
};

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(fsPath(path), std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in a directory, hidden ones included; empty when it does not exist.
inline std::set<std::string> listDirectory(const std::string &dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(fsPath(dir), ec), end; !ec && it != end;
         it.increment(ec))
        names.insert(utf8Of(it->path().filename()));
    return names;
}

// Everything under a directory (hidden entries and subdirectories too) by
// its path relative to it: a file with its bytes, a directory as "<dir>".
using Snapshot = std::map<std::string, std::string>;
inline Snapshot snapshot(const std::string &dir) {
    namespace fs = std::filesystem;
    Snapshot entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(fsPath(dir), ec), end; !ec && it != end;
         it.increment(ec))
        entries[utf8Of(fs::relative(it->path(), fsPath(dir)))] =
            it->is_directory() ? "<dir>" : readFile(utf8Of(it->path()));
    return entries;
}

// Deterministic bytes that differ at every offset of interest.
inline std::string patternBytes(std::size_t size, unsigned seed = 1) {
    std::string s(size, '\0');
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 16);
    }
    return s;
}

} // namespace dorvik::testing
