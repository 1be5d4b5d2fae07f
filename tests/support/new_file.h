// A file a test writes through the platform layer, which opens files for
// writing only as new files.
#pragma once

#include "platform/fs.h"

#include <string>
#include <utility>

namespace dorvik::testing {

// A new, empty file at `path`, open for reading and writing at any offset;
// not open when it could not be made. It takes its name at once, so the
// test can read it back there.
inline platform::File newFileAt(const std::string &path) {
    platform::Directory dir;
    if (!dir.open(platform::directoryOf(path)))
        return {};
    platform::NewFile file;
    if (!file.create(dir, platform::fileNameOf(path)) || !file.putInPlace(platform::Flush::None))
        return {};
    return std::move(file.file());
}

} // namespace dorvik::testing
