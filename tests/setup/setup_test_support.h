// Temporary directories, files and environment for the installer's tests.
#pragma once

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace dorvik::testing {

// The file's bytes; nullopt when it cannot be read (readFile gives "").
inline std::optional<std::string> readText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace dorvik::testing
