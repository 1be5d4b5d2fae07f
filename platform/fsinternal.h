// What the file-system sources share and nobody else uses: temporary names,
// the lock that marks a live temporary, and flushing a descriptor.
#pragma once

#include "platform/file.h"
#include "platform/mounts.h"
#include "platform/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace dorvik::platform {
class Directory;
}

namespace dorvik::platform::internal {

// ".name.part-": the start of every temporary name of `name`, the name cut
// (at a character boundary) so that the whole temporary name fits in a
// directory entry even when the final name nearly fills one.
std::string temporaryStem(const std::string &name);
// A fresh random temporary name of `name` (no directory).
std::string randomTemporaryName(const std::string &name);
// True when `entry` is a temporary name with the stem `stem`.
bool isTemporaryOf(const std::string &entry, const std::string &stem);

// Takes the lock that marks a file as the temporary of a running run. True
// when held; false when another process holds it. Where the file system
// knows no locks the file counts as held (it is then never swept), and
// *unsupported says so.
bool lockFile(int fd, bool *unsupported = nullptr);

// Opens the entry `name` of `dir` and takes the lock of a live temporary on
// it, so that removeLeftovers of another run leaves it alone while it is kept
// under a hidden name. -1 when it cannot be opened or locked (it is then kept
// unlocked). closeHandle releases it.
NativeHandle lockEntry(const Directory &dir, const std::string &name);
void closeHandle(NativeHandle handle);

// One try at the lock of the set `setName` in `dir` (see SetLock). Taken:
// the lock is held through `handle`; Busy: another run holds it; NoLock:
// none can be had here (a file system without locks, a directory that may
// be written but not read, or that takes no lock file); Failed: `error`
// says why, naming the set.
enum class SetLockTry { Taken, Busy, NoLock, Failed };
SetLockTry tryLockSet(const Directory &dir, const std::string &setName, NativeHandle &handle,
                      Status &error);

bool sameInode(const struct stat &a, const struct stat &b);

// Called before every round of a copy: waits when a test asked for it.
void beforeRound();

// The permission bits a copy of the open file `in` is made with (less the
// umask): the source's own where the system has them.
unsigned permissionBits(const File &in);
// The end of the copy round that starts at `outPos` and moves at most
// `round` bytes: the last multiple of kCopyAlignment it reaches, or the
// range's end `outEnd` when that comes first.
std::int64_t roundEnd(std::int64_t outPos, std::int64_t outEnd, std::int64_t round);

// The length of a copy's source, taken as the copy begins: the range it
// copies must lie within it, and the copy fails once it changes (a source
// that grows or shrinks meanwhile would give bytes of no one moment).
class SourceLength {
public:
    // Notes the length of `in` (`known` when the caller has it already); it
    // must reach `end`.
    Status begin(const File &in, std::int64_t end, std::optional<std::int64_t> known = {});
    std::int64_t length() const { return length_; }
    // "name: the file changed while it was being copied" when the length is
    // no longer the one noted.
    Status checkUnchanged() const;
    // For a source that gave nothing before the range's end: the change,
    // else "name: file ended before the expected length".
    Status endedEarly() const;

private:
    const File *in_ = nullptr;
    std::int64_t length_ = 0;
};

// fsync with the fault seam in front; errors name `path`. A file system that
// cannot flush a directory has nothing to flush: that is success.
Status flushDescriptor(NativeHandle fd, const std::string &path);

// fdatasync (FlushFileBuffers on Windows) without the fault seam: the data
// of the open file `fd` onto its disk. Errors name `path`; a file that cannot
// be flushed (a file system without the call) has nothing to flush.
Status flushData(NativeHandle fd, const std::string &path);
// A second handle on the open file of `fd`, for closeHandle; -1 when there
// is none (always on Windows).
NativeHandle duplicateHandle(NativeHandle fd);

// The facts of the volume that holds `path` (or its nearest existing
// ancestor) as the system tells them: volumeFacts without the test seam.
std::optional<VolumeFacts> systemVolumeFacts(const std::string &path);
// The removable disk mounted now: findRemovableDisk() without the test seam.
DiskSearch systemRemovableDisk();

} // namespace dorvik::platform::internal
