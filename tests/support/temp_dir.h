// A directory of its own for each test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace dorvik::testing {

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "dorvik-test-XXXXXX").string();
        if (char *made = ::mkdtemp(pattern.data()))
            path_ = made;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in a directory, hidden ones included; empty when it does not exist.
inline std::set<std::string> listDirectory(const std::string &dir) {
    std::set<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.insert(n);
        }
        ::closedir(d);
    }
    return names;
}

// Everything under a directory (hidden entries and subdirectories too) by
// its path relative to it: a file with its bytes, a directory as "<dir>".
using Snapshot = std::map<std::string, std::string>;
inline Snapshot snapshot(const std::string &dir) {
    namespace fs = std::filesystem;
    Snapshot entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        entries[fs::relative(it->path(), dir).string()] =
            it->is_directory() ? "<dir>" : readFile(it->path().string());
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
