// Moving bytes between two open files: through the process's own pipe with
// splice() where it works, else the kernel's copy, else a block buffer in the
// process; every round reported to an observer that may stop the copy. And
// the whole-file copy built on it.
#pragma once

#include "platform/newfile.h"
#include "platform/status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace dorvik::platform {

// How data moves between two files. Whatever the method, the bytes written
// are the same; the methods differ in speed and in where they work.
enum class CopyMethod {
    Auto,     // the file system's own copy where offsets allow (below), else splice,
              // else the kernel's copy, else the block buffer
    Buffered, // always through one buffer in the process, block by block
    Splice,   // splice through the process's pipe; the block buffer where refused
    Kernel,   // the kernel's copy (copy_file_range); the block buffer where refused
};

// Hears how far a copy has come, between its rounds, on the copying thread.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // `bytes` more bytes of the range are done since the last call (written,
    // or left a hole in a new file). Returning false stops the copy: it then
    // returns Status::stopped() and leaves the file being written as it is
    // (the caller removes it).
    virtual bool copied(std::int64_t bytes) = 0;
};

// The most bytes one round of a copy moves: the observer hears of a copy at
// least this often, and a stop is noticed within one round.
constexpr std::int64_t kCopyRoundBytes = 1 << 20;
// About the longest one round takes. A copy starts with a small round and
// goes on in full rounds (kCopyRoundBytes) while they take less than this;
// on a slower device each round is as large as the speed measured so far
// allows (never under kCopyAlignment), and the next copy between the same
// two devices starts at that speed. So a stop is noticed about this soon on
// a slow device too, and a fast one runs in full rounds.
constexpr std::chrono::milliseconds kCopyRoundTime{50};
// Every round but a range's first starts at a multiple of this in the file
// being written, so that the written file is cached in whole aligned pieces
// (as a plain whole-file copy leaves it) wherever the range starts.
constexpr std::int64_t kCopyAlignment = 64 << 10;

// Copies `length` bytes from `in` at `inOffset` to `out` at `outOffset`, in
// rounds sized by kCopyRoundTime, of at most kCopyRoundBytes, that end on
// multiples of kCopyAlignment of `out` (the last round ends with the range).
// The method picks the path (see CopyMethod); a path the kernel refuses for
// these files (EXDEV, EINVAL, EOPNOTSUPP, ...) hands the rest of the range to
// the next one. With CopyMethod::Auto, where both offsets are multiples of
// the file system's block size (a whole-file copy, say), the file system is
// asked first: a clone (FICLONERANGE: the two files share the blocks), else
// the kernel's copy (copy_file_range, a server-side copy on a network file
// system); elsewhere, or where both decline, splice. On a source that turns
// out slow the kernel's read-ahead gives way to reading one round ahead, so
// that no round waits for a long read-ahead window. Never makes up a byte: a
// source shorter than the range, or one whose length changes during the
// copy, fails with "name: ..." and what was written stays for the caller to
// remove. EINTR and short counts are retried. Errors name the file that
// failed.
Status copyRange(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                 std::int64_t length, CopyMethod method = CopyMethod::Auto,
                 CopyObserver *observer = nullptr);

// copyRange into a range of `out` that holds nothing yet (a new file). Unless
// the method is Buffered, the holes of a sparse source are not copied but
// stay holes in `out` (whose length is set to reach the end of the range);
// the observer hears of a hole as of bytes done once the file reaches past
// it, so that every range it hears of reads back as what it stands for. Found with SEEK_DATA and
// SEEK_HOLE; where the file system cannot tell them, the range is copied
// whole. A source that ends early or changes length fails as for copyRange:
// no zeros are ever made up in place of missing data.
Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, CopyMethod method = CopyMethod::Auto,
                       CopyObserver *observer = nullptr);

// Whole-file copy of `from` (any regular file the caller may read, a
// read-only one too) to `to`, replacing `to`, as a NewFile: written under a
// temporary name beside `to` and put in place only when complete; on failure
// nothing is left behind and an existing `to` is untouched. The copy ends with
// the source's permission bits less the umask. Refuses to copy a file onto
// itself. Holes of a sparse source stay holes (with CopyMethod::Auto).
// `observer`, when given, hears of every round and may stop the copy. With
// Flush::Durable the copy and its directory entry are on the device when
// copyFile succeeds; a failing flush fails the copy. Errors name `from` or
// `to`.
Status copyFile(const std::string &from, const std::string &to,
                CopyMethod method = CopyMethod::Auto, CopyObserver *observer = nullptr,
                Flush flush = Flush::None);

// Test seam: every round of every copy waits this long first, so that a test
// can watch a long run and stop it half-way. The wait counts as part of the
// round's time: with a wait of kCopyRoundTime or more the rounds shrink to
// the smallest a round can be (kCopyAlignment), as on a slow device. Zero
// (the default) waits not.
void setCopyRoundDelay(std::chrono::microseconds delay);

} // namespace dorvik::platform
