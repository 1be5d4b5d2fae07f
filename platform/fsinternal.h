// What the file-system sources share and nobody else uses: temporary names,
// the lock that marks a live temporary, and flushing a descriptor.
#pragma once

#include "platform/status.h"

#include <string>
#include <sys/stat.h>

namespace dorvik::platform::internal {

// ".name.part-": the start of every temporary name of `name`, the name cut
// (at a character boundary) so that the whole temporary name fits in a
// directory entry even when the final name nearly fills one.
std::string temporaryStem(std::string name);
// A fresh random temporary name of `name` (no directory).
std::string randomTemporaryName(const std::string &name);
// True when `entry` is a temporary name with the stem `stem`.
bool isTemporaryOf(const std::string &entry, const std::string &stem);

// Takes the lock that marks a file as the temporary of a running run. True
// when held; false when another process holds it. Where the file system
// knows no locks the file counts as held (it is then never swept), and
// *unsupported says so.
bool lockFile(int fd, bool *unsupported = nullptr);

bool sameInode(const struct stat &a, const struct stat &b);

// fsync with the fault seam in front; errors name `path`. A file system that
// cannot flush a directory has nothing to flush: that is success.
Status flushDescriptor(int fd, const std::string &path);

} // namespace dorvik::platform::internal
