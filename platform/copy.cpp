#include "platform/copy.h"

#include "platform/fs.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace dorvik::platform {

namespace {

// Errors with which the kernel declines a copy it cannot do here; the block
// buffer then does the work.
bool kernelDeclines(int err) {
    return err == EXDEV || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL || err == EBADF ||
           err == ETXTBSY || err == EPERM;
}

// Errors that belong to the file being written rather than the one read.
bool writeSideError(int err) {
    return err == ENOSPC || err == EFBIG || err == EDQUOT || err == EROFS;
}

std::atomic<std::int64_t> roundDelayMicroseconds{0};

// Called before every round: waits when a test asked for it.
void beforeRound() {
    if (const std::int64_t us = roundDelayMicroseconds.load(std::memory_order_relaxed); us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

// Tells the observer of `bytes` more bytes; false when it asks to stop.
bool report(CopyObserver *observer, std::int64_t bytes) {
    return !observer || observer->copied(bytes);
}

// The largest stretch the kernel copies in one call, so that the observer
// hears of a long copy several times a second.
constexpr std::int64_t kKernelRound = 8 << 20;

Status copyBuffered(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                    std::int64_t length, std::size_t blockSize, CopyObserver *observer) {
    if (blockSize == 0)
        blockSize = 65536;
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(blockSize), std::max<std::int64_t>(length, 1))));
    while (length > 0) {
        beforeRound();
        const auto chunk = static_cast<std::size_t>(
            std::min<std::int64_t>(length, static_cast<std::int64_t>(buffer.size())));
        if (Status s = in.readAt(inOffset, buffer.data(), chunk); !s)
            return s;
        if (Status s = out.writeAt(outOffset, buffer.data(), chunk); !s)
            return s;
        inOffset += static_cast<std::int64_t>(chunk);
        outOffset += static_cast<std::int64_t>(chunk);
        length -= static_cast<std::int64_t>(chunk);
        if (!report(observer, static_cast<std::int64_t>(chunk)))
            return Status::cancelled();
    }
    return {};
}

// Makes `out` at least `end` bytes long (the range may end in a hole).
Status extendTo(File &out, std::int64_t end) {
    Status s;
    const std::optional<std::int64_t> length = out.length(&s);
    if (!length)
        return s;
    if (*length >= end)
        return {};
    int rc;
    do {
        rc = ::ftruncate(out.descriptor(), static_cast<off_t>(end));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return Status::fromErrno(out.path(), errno);
    return {};
}

} // namespace

Status copyRange(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                 std::int64_t length, std::size_t blockSize, CopyMethod method,
                 CopyObserver *observer) {
    if (length < 0)
        return Status::failure(in.path() + ": negative length to copy");
    if (method == CopyMethod::Auto) {
        loff_t inPos = inOffset;
        loff_t outPos = outOffset;
        while (length > 0) {
            beforeRound();
            const ssize_t n =
                ::copy_file_range(in.descriptor(), &inPos, out.descriptor(), &outPos,
                                  static_cast<std::size_t>(std::min(length, kKernelRound)), 0);
            if (n < 0) {
                const int err = errno;
                if (err == EINTR)
                    continue;
                if (kernelDeclines(err))
                    break;
                return Status::fromErrno(writeSideError(err) ? out.path() : in.path(), err);
            }
            if (n == 0)
                break; // end of the source, or a kernel that stops short: let the buffer tell
            length -= n;
            if (!report(observer, n))
                return Status::cancelled();
        }
        inOffset = inPos;
        outOffset = outPos;
        if (length == 0)
            return {};
    }
    return copyBuffered(in, inOffset, out, outOffset, length, blockSize, observer);
}

// Data regions are found with SEEK_DATA and SEEK_HOLE; where the file system
// cannot tell them, the whole rest of the range is copied as it is.
Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, std::size_t blockSize, CopyMethod method,
                       CopyObserver *observer) {
    if (method != CopyMethod::Auto || length <= 0)
        return copyRange(in, inOffset, out, outOffset, length, blockSize, method, observer);

    const std::int64_t end = inOffset + length;
    Status s;
    const std::optional<std::int64_t> inLength = in.length(&s);
    if (!inLength)
        return s;
    if (*inLength < end) // let the copy report the short file
        return copyRange(in, inOffset, out, outOffset, length, blockSize, method, observer);

    std::int64_t pos = inOffset;
    while (pos < end) {
        const off_t data = ::lseek(in.descriptor(), static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end of the file
        off_t hole = data < 0 ? -1 : ::lseek(in.descriptor(), data, SEEK_HOLE);
        if (data < 0 || hole < 0) // holes unknown here: copy the rest whole
            return copyRange(in, pos, out, outOffset + (pos - inOffset), end - pos, blockSize,
                             method, observer);
        if (data >= end)
            break;
        const std::int64_t stop = std::min<std::int64_t>(hole, end);
        if (Status c = copyRange(in, data, out, outOffset + (data - inOffset), stop - data,
                                 blockSize, method, observer);
            !c)
            return c;
        pos = stop;
    }
    return extendTo(out, outOffset + length);
}

void setCopyRoundDelay(std::chrono::microseconds delay) {
    roundDelayMicroseconds.store(delay.count(), std::memory_order_relaxed);
}

} // namespace dorvik::platform
