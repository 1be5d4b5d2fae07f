// What every way of copying shares: rounds that end on aligned offsets of
// the file being written, the test seam that slows them down, and the
// whole-file copy built on the system's copyIntoNewFile.
#include "platform/copy.h"
#include "platform/directory.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"
#include "platform/translate.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace dorvik::platform {

namespace {

std::atomic<std::int64_t> roundDelayMicroseconds{0};

} // namespace

namespace internal {

void beforeRound() {
    if (const std::int64_t us = roundDelayMicroseconds.load(std::memory_order_relaxed); us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::int64_t roundEnd(std::int64_t outPos, std::int64_t outEnd, std::int64_t round) {
    std::int64_t end = (outPos + round) / kCopyAlignment * kCopyAlignment;
    if (end <= outPos)
        end = outPos + round;
    return std::min(end, outEnd);
}

Status SourceLength::begin(const File &in, std::int64_t end, std::optional<std::int64_t> known) {
    in_ = &in;
    Status s;
    if (!known && !(known = in.length(&s)))
        return s;
    length_ = *known;
    if (length_ < end)
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: file ended before the expected length"), {in.path()}));
    return {};
}

Status SourceLength::checkUnchanged() const {
    Status s;
    const std::optional<std::int64_t> now = in_->length(&s);
    if (!now)
        return s;
    if (*now != length_)
        return Status::failure(fill(
            DORVIK_TEXT("Files", "%1: the file changed while it was being copied"), {in_->path()}));
    return {};
}

Status SourceLength::endedEarly() const {
    if (Status s = checkUnchanged(); !s)
        return s;
    return Status::failure(
        fill(DORVIK_TEXT("Files", "%1: file ended before the expected length"), {in_->path()}));
}

} // namespace internal

Status copyFile(const std::string &from, const std::string &to, CopyMethod method,
                CopyObserver *observer, Flush flush) {
    if (sameFile(from, to))
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: is the same file as %2"), {to, from}));
    File in;
    if (Status s = in.open(from); !s)
        return s;
    Status s;
    const std::optional<std::int64_t> length = in.length(&s);
    if (!length)
        return s;

    Directory dir;
    if (s = dir.open(directoryOf(to), to); !s)
        return s;
    NewFile out;
    if (s = out.create(dir, fileNameOf(to), internal::permissionBits(in)); !s)
        return s;
    if (s = copyIntoNewFile(in, 0, out.file(), 0, *length, method, observer); !s)
        return s;
    return out.putInPlace(flush);
}

void setCopyRoundDelay(std::chrono::microseconds delay) {
    roundDelayMicroseconds.store(delay.count(), std::memory_order_relaxed);
}

} // namespace dorvik::platform
