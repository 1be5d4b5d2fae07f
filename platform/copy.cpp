#include "platform/copy.h"

#include "platform/directory.h"
#include "platform/file.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace dorvik::platform {

namespace {

using internal::beforeRound;
using internal::roundEnd;

// Errors with which the kernel declines a way of copying it cannot do for
// these two files; the next way then does the work.
bool kernelDeclines(int err) {
    return err == EXDEV || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL || err == EBADF ||
           err == ETXTBSY || err == EPERM;
}

// Errors that belong to the file being written rather than the one read.
bool writeSideError(int err) {
    return err == ENOSPC || err == EFBIG || err == EDQUOT || err == EROFS;
}

// The pipe through which splice moves a copy's bytes; closed when it goes.
class Pipe {
public:
    Pipe() = default;
    ~Pipe() { close(); }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    // Makes the pipe, enlarged to a round where the system allows it. False
    // when no pipe can be had (the caller copies another way).
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read_ = fds[0];
        write_ = fds[1];
        // A refused enlargement (a user over the pipe limits) leaves the
        // pipe as it is: it still works, in smaller rounds.
        int size = ::fcntl(write_, F_SETPIPE_SZ, static_cast<int>(kCopyRoundBytes));
        if (size < 0)
            size = ::fcntl(write_, F_GETPIPE_SZ);
        capacity_ = size > 0 ? size : 4096;
        return true;
    }
    void close() {
        if (read_ >= 0)
            ::close(read_);
        if (write_ >= 0)
            ::close(write_);
        read_ = write_ = -1;
    }
    bool isOpen() const { return read_ >= 0; }
    int readEnd() const { return read_; }
    int writeEnd() const { return write_; }
    std::int64_t capacity() const { return capacity_; }

private:
    int read_ = -1;
    int write_ = -1;
    std::int64_t capacity_ = 0;
};

// One copy call: the two files, the ways still open to it, its pipe and
// buffer (made on first use, one each however many ranges it moves), the
// source's length when it began, and the observer.
class Copier {
public:
    Copier(const File &in, File &out, CopyMethod method, CopyObserver *observer)
        : in_(in), out_(out), observer_(observer) {
        splice_ = method == CopyMethod::Auto || method == CopyMethod::Splice;
        kernel_ = method == CopyMethod::Auto || method == CopyMethod::Kernel;
    }

    // Notes the source's length; it must hold the range up to `end`.
    Status begin(std::int64_t end) {
        Status s;
        const std::optional<std::int64_t> length = in_.length(&s);
        if (!length)
            return s;
        inLength_ = *length;
        if (inLength_ < end)
            return Status::failure(in_.path() + ": file ended before the expected length");
        return {};
    }

    // Fails when the source's length is no longer what it was at begin().
    Status checkUnchanged() const {
        Status s;
        const std::optional<std::int64_t> length = in_.length(&s);
        if (!length)
            return s;
        if (*length != inLength_)
            return changed();
        return {};
    }

    // Moves `length` bytes from `inPos` to `outPos` the first way that works.
    Status range(std::int64_t inPos, std::int64_t outPos, std::int64_t length) {
        const std::int64_t outEnd = outPos + length;
        if (splice_ && outPos < outEnd)
            if (Status s = spliceRange(inPos, outPos, outEnd); !s)
                return s;
        if (kernel_ && outPos < outEnd)
            if (Status s = kernelRange(inPos, outPos, outEnd); !s)
                return s;
        if (outPos < outEnd)
            return bufferedRange(inPos, outPos, outEnd);
        return {};
    }

    // `bytes` of the range are left a hole: done as far as the observer
    // goes, but told only once the file reaches past them (with the next
    // round written, or at flushHoles()), so that they read back as zeros.
    void skipped(std::int64_t bytes) { hole_ += bytes; }
    // Tells the observer of the holes not told of yet; call once the file
    // reaches the range's end.
    Status flushHoles() { return tell(std::exchange(hole_, 0)); }

private:
    Status changed() const {
        return Status::failure(in_.path() + ": the file changed while it was being copied");
    }

    // The source gave nothing before the range's end.
    Status endedEarly() const {
        if (Status s = checkUnchanged(); !s)
            return s;
        return Status::failure(in_.path() + ": file ended before the expected length");
    }

    // `bytes` were written: tells the observer of them, after the holes
    // before them (the file now reaches past those).
    Status report(std::int64_t bytes) {
        if (bytes <= 0)
            return {};
        if (Status s = flushHoles(); !s)
            return s;
        return tell(bytes);
    }

    Status tell(std::int64_t bytes) const {
        if (bytes > 0 && observer_ && !observer_->copied(bytes))
            return Status::stopped();
        return {};
    }

    // splice() from the source into the pipe and from the pipe into `out`,
    // one round at a time. Leaves inPos and outPos where it stopped; when
    // the kernel refuses, returns success short of outEnd and turns itself
    // off, and the next way goes on from there.
    Status spliceRange(std::int64_t &inPos, std::int64_t &outPos, std::int64_t outEnd) {
        if (!pipe_.isOpen() && !pipe_.open()) {
            splice_ = false;
            return {};
        }
        const std::int64_t round = std::min(kCopyRoundBytes, pipe_.capacity());
        std::int64_t inPipe = 0; // bytes read from the source not yet written
        while (outPos < outEnd) {
            beforeRound();
            const std::int64_t end = roundEnd(outPos, outEnd, round);
            // Fill the pipe up to the round's end, or as far as it holds.
            bool refused = false;
            while (outPos + inPipe < end) {
                loff_t off = inPos + inPipe;
                // Blocks only while the pipe is empty: a full pipe answers
                // EAGAIN instead of waiting for a reader that is us.
                const unsigned flags = SPLICE_F_MOVE | (inPipe > 0 ? SPLICE_F_NONBLOCK : 0u);
                const ssize_t n = ::splice(in_.descriptor(), &off, pipe_.writeEnd(), nullptr,
                                           static_cast<std::size_t>(end - outPos - inPipe), flags);
                if (n > 0) {
                    inPipe += n;
                    continue;
                }
                if (n == 0)
                    return endedEarly();
                const int err = errno;
                if (err == EINTR)
                    continue;
                if (err == EAGAIN && inPipe > 0)
                    break; // full: write out what it holds
                if (kernelDeclines(err)) {
                    refused = true;
                    break;
                }
                return Status::fromErrno(in_.path(), err);
            }
            // Write out the whole round; from a pipe that filled early, only
            // up to an aligned end (the rest stays for the next round).
            std::int64_t drain = inPipe;
            if (!refused && outPos + inPipe < end) {
                const std::int64_t aligned =
                    (outPos + inPipe) / kCopyAlignment * kCopyAlignment - outPos;
                if (aligned > 0)
                    drain = aligned;
            }
            const std::int64_t roundStart = outPos;
            while (drain > 0) {
                loff_t off = outPos;
                const ssize_t n = ::splice(pipe_.readEnd(), nullptr, out_.descriptor(), &off,
                                           static_cast<std::size_t>(drain), SPLICE_F_MOVE);
                if (n > 0) {
                    outPos += n;
                    inPos += n;
                    inPipe -= n;
                    drain -= n;
                    continue;
                }
                const int err = n == 0 ? ENOSPC : errno;
                if (err == EINTR)
                    continue;
                if (kernelDeclines(err)) {
                    refused = true;
                    break;
                }
                return Status::fromErrno(out_.path(), err);
            }
            if (refused) {
                // What the pipe still holds is read again by the next way.
                pipe_.close();
                splice_ = false;
                return report(outPos - roundStart);
            }
            if (Status s = report(outPos - roundStart); !s)
                return s;
        }
        return {};
    }

    // copy_file_range, one round at a time; as spliceRange when refused.
    Status kernelRange(std::int64_t &inPos, std::int64_t &outPos, std::int64_t outEnd) {
        while (outPos < outEnd) {
            beforeRound();
            const std::int64_t end = roundEnd(outPos, outEnd, kCopyRoundBytes);
            loff_t inOff = inPos;
            loff_t outOff = outPos;
            const ssize_t n = ::copy_file_range(in_.descriptor(), &inOff, out_.descriptor(),
                                                &outOff, static_cast<std::size_t>(end - outPos), 0);
            if (n < 0) {
                const int err = errno;
                if (err == EINTR)
                    continue;
                if (kernelDeclines(err)) {
                    kernel_ = false;
                    return {};
                }
                return Status::fromErrno(writeSideError(err) ? out_.path() : in_.path(), err);
            }
            if (n == 0) {
                // The end of the source, or a kernel that stops short for
                // these files: the buffer goes on, and tells which.
                if (Status s = checkUnchanged(); !s)
                    return s;
                kernel_ = false;
                return {};
            }
            inPos += n;
            outPos += n;
            if (Status s = report(n); !s)
                return s;
        }
        return {};
    }

    // pread into one buffer, pwrite from it, one round at a time.
    Status bufferedRange(std::int64_t inPos, std::int64_t outPos, std::int64_t outEnd) {
        if (buffer_.empty())
            buffer_.resize(static_cast<std::size_t>(std::min(kCopyRoundBytes, outEnd - outPos)));
        const auto round = static_cast<std::int64_t>(buffer_.size());
        while (outPos < outEnd) {
            beforeRound();
            const std::int64_t size = roundEnd(outPos, outEnd, round) - outPos;
            for (std::int64_t got = 0; got < size;) {
                const ssize_t n = ::pread(in_.descriptor(), buffer_.data() + got,
                                          static_cast<std::size_t>(size - got), inPos + got);
                if (n > 0) {
                    got += n;
                } else if (n == 0) {
                    return endedEarly();
                } else if (errno != EINTR) {
                    return Status::fromErrno(in_.path(), errno);
                }
            }
            if (Status s = out_.writeAt(outPos, buffer_.data(), static_cast<std::size_t>(size)); !s)
                return s;
            inPos += size;
            outPos += size;
            if (Status s = report(size); !s)
                return s;
        }
        return {};
    }

    const File &in_;
    File &out_;
    CopyObserver *observer_;
    bool splice_ = false;
    bool kernel_ = false;
    std::int64_t inLength_ = 0;
    std::int64_t hole_ = 0; // bytes left a hole, not told of yet
    Pipe pipe_;
    std::vector<char> buffer_;
};

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
                 std::int64_t length, CopyMethod method, CopyObserver *observer) {
    if (length < 0)
        return Status::failure(in.path() + ": negative length to copy");
    if (length == 0)
        return {};
    Copier copier(in, out, method, observer);
    if (Status s = copier.begin(inOffset + length); !s)
        return s;
    if (Status s = copier.range(inOffset, outOffset, length); !s)
        return s;
    return copier.checkUnchanged();
}

Status copyIntoNewFile(const File &in, std::int64_t inOffset, File &out, std::int64_t outOffset,
                       std::int64_t length, CopyMethod method, CopyObserver *observer) {
    if (method == CopyMethod::Buffered || length <= 0)
        return copyRange(in, inOffset, out, outOffset, length, method, observer);

    const std::int64_t end = inOffset + length;
    Copier copier(in, out, method, observer);
    if (Status s = copier.begin(end); !s)
        return s;
    std::int64_t pos = inOffset;
    while (pos < end) {
        const off_t data = ::lseek(in.descriptor(), static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            // No data from pos on: a hole to the end of the file, if the
            // file still has the length it had (a shrunk file says so too).
            if (Status s = copier.checkUnchanged(); !s)
                return s;
            copier.skipped(end - pos);
            pos = end;
            break;
        }
        const off_t hole = data < 0 ? -1 : ::lseek(in.descriptor(), data, SEEK_HOLE);
        if (data < 0 || hole < 0) { // holes unknown here: copy the rest whole
            if (Status s = copier.range(pos, outOffset + (pos - inOffset), end - pos); !s)
                return s;
            pos = end;
            break;
        }
        const std::int64_t start = std::min<std::int64_t>(data, end);
        if (start > pos)
            copier.skipped(start - pos);
        if (start == end)
            break;
        const std::int64_t stop = std::min<std::int64_t>(hole, end);
        if (Status s = copier.range(start, outOffset + (start - inOffset), stop - start); !s)
            return s;
        pos = stop;
    }
    if (Status s = copier.checkUnchanged(); !s)
        return s;
    if (Status s = extendTo(out, outOffset + length); !s)
        return s;
    return copier.flushHoles();
}

Status copyFile(const std::string &from, const std::string &to, CopyMethod method,
                CopyObserver *observer, Flush flush) {
    if (sameFile(from, to))
        return Status::failure(to + ": is the same file as " + from);
    File in;
    if (Status s = in.open(from); !s)
        return s;
    struct stat st {};
    if (::fstat(in.descriptor(), &st) != 0)
        return Status::fromErrno(from, errno);

    Directory dir;
    if (Status s = dir.open(directoryOf(to), to); !s)
        return s;
    NewFile out;
    if (Status s = out.create(dir, fileNameOf(to), st.st_mode & 0777); !s)
        return s;
    if (Status s = copyIntoNewFile(in, 0, out.file(), 0, static_cast<std::int64_t>(st.st_size),
                                   method, observer);
        !s)
        return s;
    return out.putInPlace(flush);
}

} // namespace dorvik::platform
