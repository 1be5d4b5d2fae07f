// Moving bytes between two open files: the kernel's copy where it works, a
// block buffer in the process otherwise, every round reported to an observer
// that may stop the copy.
#pragma once

#include "platform/status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace dorvik::platform {

class File;

// How data moves between two files.
enum class CopyMethod {
    Auto,     // the kernel's copy where it works, else the block buffer
    Buffered, // always through one buffer in the process, block by block
};

// Hears how far a copy has come, between its rounds, on the copying thread.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // `bytes` more bytes have reached the file being written since the last
    // call. Returning false stops the copy: it then returns
    // Status::cancelled() and leaves the file being written as it is (the
    // caller removes it).
    virtual bool copied(std::int64_t bytes) = 0;
};

// Copies `length` bytes from `in` at `inOffset` to `out` at `outOffset`.
// With CopyMethod::Auto the kernel copies the range (copy_file_range) and the
// block buffer takes over where the kernel refuses (EXDEV, EOPNOTSUPP,
// ENOSYS, EINVAL, a short count); with Buffered the data goes through one
// buffer of `blockSize` bytes, one block per read and write. Short counts
// and EINTR are retried. Errors name the file that failed.
Status copyRange(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                 std::int64_t length, std::size_t blockSize, CopyMethod method = CopyMethod::Auto,
                 CopyObserver *observer = nullptr);

// copyRange into a range of `out` that holds nothing yet (a new file). With
// CopyMethod::Auto the holes of a sparse source are not copied but stay holes
// in `out` (whose length is set to reach the end of the range), and each
// stretch of data moves with one copyRange call, so a file without holes goes
// in one call. With Buffered it is copyRange. A source shorter than the range
// is a failure; no zeros are ever made up in place of missing data.
Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, std::size_t blockSize,
                       CopyMethod method = CopyMethod::Auto, CopyObserver *observer = nullptr);

// Test seam: every round of every copy waits this long first, so that a test
// can watch a long run and stop it half-way. Zero (the default) waits not.
void setCopyRoundDelay(std::chrono::microseconds delay);

} // namespace dorvik::platform
