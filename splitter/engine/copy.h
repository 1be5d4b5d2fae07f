// File work shared by split and join: moving a range of bytes into a file
// that the operation has just made.
#pragma once

#include "platform/fs.h"

#include <cstdint>
#include <string>

namespace dorvik::engine::detail {

// Copies `length` bytes of `in` from `inOffset` into `out` at `outOffset`,
// where `out` is a new file that holds nothing in that range yet.
// With CopyMethod::Auto the holes of a sparse source are not copied but stay
// holes in `out` (whose length is set to reach the end of the range), and
// each stretch of data moves with one platform::copyRange call, so a file
// without holes goes in one call. With Buffered every byte goes through the
// block buffer, b bytes at a time. A source shorter than the range is a
// failure; no zeros are ever made up in place of missing data.
platform::Status copyIntoNewFile(const platform::File &in, std::int64_t inOffset,
                                 platform::File &out, std::int64_t outOffset, std::int64_t length,
                                 std::int64_t blockSize, platform::CopyMethod method);

} // namespace dorvik::engine::detail
