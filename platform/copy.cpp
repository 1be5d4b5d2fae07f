#include "platform/copy.h"
#include "platform/translate.h"

#include "platform/directory.h"
#include "platform/faults.h"
#include "platform/file.h"
#include "platform/fsinternal.h"
#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <mutex>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace dorvik::platform {

namespace {

using Clock = std::chrono::steady_clock;

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

using internal::beforeRound;
using internal::roundEnd;

// The first round of a copy: at a few megabytes a second it still takes
// well under kCopyRoundTime.
constexpr std::int64_t kFirstRoundBytes = 2 * kCopyAlignment;

// Sizes the rounds of a copy by the time they take (see kCopyRoundTime). A
// round's time runs from before the test seam's wait to after its last
// call.
//
// The first round is small. When it and every later one take less than
// kCopyRoundTime, the rest run in full rounds (`limit`). From a first round
// too slow to fill a full one in time, a full round that takes more than
// twice kCopyRoundTime, or two in a row that take longer than it, the
// rounds are paced: as large as the bytes moved per kCopyRoundTime on
// average since then, and no larger than the last round's speed allows when
// that was slower. The average, not the last round, sizes a paced round: a
// slow device that reads ahead in large windows moves bytes in bursts,
// quick rounds from the window and then one that waits for the next. Once
// the average over a few times kCopyRoundTime (or a few megabytes) fills a
// full round the rounds are full again.
class RoundSizer {
public:
    explicit RoundSizer(std::int64_t limit)
        : limit_(std::max(limit, kCopyAlignment)), size_(std::min(kFirstRoundBytes, limit_)) {}

    // The most bytes the next round may move.
    std::int64_t size() const { return size_; }
    // True while the rounds are sized by the speed.
    bool paced() const { return paced_; }
    // Bytes a second on average since the rounds were paced.
    double speed() const { return seconds_ > 0 ? bytes_ / seconds_ : 0; }
    // True once a full round (not the first) took less than kCopyRoundTime.
    bool fullRoundsRan() const { return fullRounds_; }

    // Starts paced at `bytesPerSecond`, as a copy between the same two
    // devices that had just ended did.
    void resume(double bytesPerSecond) {
        paced_ = true;
        seconds_ = kSettled * bound();
        bytes_ = bytesPerSecond * seconds_;
        resize(bytesPerSecond * bound());
    }

    // A round of `bytes` that began at `began` is over.
    void finished(Clock::time_point began, std::int64_t bytes) {
        const double took = std::chrono::duration<double>(Clock::now() - began).count();
        const auto moved = static_cast<double>(bytes);
        if (!paced_ && took < bound()) {
            const bool first = size_ < limit_;
            if (!first || moved * bound() >= static_cast<double>(limit_) * took) {
                fullRounds_ = fullRounds_ || !first;
                size_ = limit_;
                slowRounds_ = 0;
                return;
            }
        }
        // A busy machine can hold up one round: full rounds go on after a
        // single one that took up to twice kCopyRoundTime.
        if (!paced_ && size_ == limit_ && took < 2 * bound() && ++slowRounds_ < 2)
            return;
        if (!paced_) {
            paced_ = true;
            bytes_ = seconds_ = 0;
        }
        bytes_ += moved;
        seconds_ += took;
        double fits = seconds_ > 0 ? bytes_ * bound() / seconds_ : static_cast<double>(limit_);
        if (took >= bound()) // slower than the average: this round's speed
            fits = std::min(fits, moved * bound() / took);
        resize(fits);
    }

private:
    // Rounds of this many times kCopyRoundTime, or of this many bytes, tell
    // a device's speed: a read-ahead window of a few megabytes that a slow
    // device had read before is spread over them.
    static constexpr double kSettled = 4;
    static constexpr double kSettledBytes = 8.0 * kCopyRoundBytes;
    static double bound() { return std::chrono::duration<double>(kCopyRoundTime).count(); }
    // Paced rounds of `fits` bytes, in whole kCopyAlignment steps; full
    // rounds again where that is a full round and the average is settled.
    void resize(double fits) {
        const auto limit = static_cast<double>(limit_);
        if (fits >= limit && (seconds_ >= kSettled * bound() || bytes_ >= kSettledBytes)) {
            paced_ = false;
            size_ = limit_;
            return;
        }
        const auto steps = static_cast<std::int64_t>(std::min(fits, limit)) / kCopyAlignment;
        size_ = std::clamp(steps * kCopyAlignment, kCopyAlignment, limit_);
    }

    std::int64_t limit_;
    std::int64_t size_;
    bool paced_ = false;
    bool fullRounds_ = false;
    int slowRounds_ = 0; // full rounds in a row that took longer than kCopyRoundTime
    double bytes_ = 0;   // moved since the rounds were paced
    double seconds_ = 0; // the time that took
};

// The last copy that ended paced: between which two devices, at what speed.
// The next copy between them starts paced at that speed, so that the pieces
// of a split or join on a slow device do not each find it out anew (the
// first round of each could read from what the kernel had read ahead, and
// look fast). Copies between other devices do not change it.
struct SlowDevices {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    double speed = 0; // 0: none remembered
};
std::mutex slowDevicesLock;
SlowDevices slowDevices;

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
    // Bytes of whole pages the pipe holds: it keeps one page of the source
    // (or part of one) in each of its slots.
    std::int64_t capacity() const { return capacity_; }

private:
    int read_ = -1;
    int write_ = -1;
    std::int64_t capacity_ = 0;
};

// The size of a page of the page cache, which splice moves in.
std::int64_t pageBytes() {
    static const std::int64_t bytes = [] {
        const long n = ::sysconf(_SC_PAGESIZE);
        return n > 0 ? static_cast<std::int64_t>(n) : 4096;
    }();
    return bytes;
}

// copy_file_range and FICLONERANGE with the fault seam in front: -1 and
// errno as the call would fail.
ssize_t kernelCopy(const File &in, loff_t *inOff, File &out, loff_t *outOff, std::size_t size) {
    if (const int err = faults::check(faults::Call::KernelCopy, out.path())) {
        errno = err;
        return -1;
    }
    return ::copy_file_range(in.descriptor(), inOff, out.descriptor(), outOff, size, 0);
}

int cloneRange(const File &in, std::int64_t inPos, File &out, std::int64_t outPos,
               std::int64_t size) {
    if (const int err = faults::check(faults::Call::Clone, out.path())) {
        errno = err;
        return -1;
    }
    file_clone_range range{};
    range.src_fd = in.descriptor();
    range.src_offset = static_cast<std::uint64_t>(inPos);
    range.src_length = static_cast<std::uint64_t>(size);
    range.dest_offset = static_cast<std::uint64_t>(outPos);
    return ::ioctl(out.descriptor(), FICLONERANGE, &range);
}

// One copy call: the two files, the ways still open to it, the sizes of its
// rounds, its pipe and buffer (made on first use, one each however many
// ranges it moves), the source's length when it began, and the observer.
class Copier {
public:
    Copier(const File &in, File &out, CopyMethod method, CopyObserver *observer)
        : in_(in), out_(out), observer_(observer) {
        splice_ = method == CopyMethod::Auto || method == CopyMethod::Splice;
        kernel_ = method == CopyMethod::Auto || method == CopyMethod::Kernel;
        fileSystemFirst_ = method == CopyMethod::Auto;
        clone_ = fileSystemFirst_;
    }
    ~Copier() {
        if (readingAhead_) // a hint only, as at readAhead()
            (void)::posix_fadvise(in_.descriptor(), 0, 0, POSIX_FADV_NORMAL);
        if (!devicesKnown_)
            return;
        const std::lock_guard<std::mutex> lock(slowDevicesLock);
        const bool same = slowDevices.from == fromDevice_ && slowDevices.to == toDevice_;
        if (moved_.paced())
            slowDevices = {fromDevice_, toDevice_, moved_.speed()};
        else if (same && moved_.fullRoundsRan())
            slowDevices = {};
    }
    Copier(const Copier &) = delete;
    Copier &operator=(const Copier &) = delete;

    // Notes the source's length; it must hold the range up to `end`. Learns
    // the block size of the file system written to, which a clone's offsets
    // must be multiples of (the fundamental block, f_frsize: st_blksize is a
    // preferred I/O size and may be larger, on XFS for one), and starts
    // paced where the last copy between the same devices ended paced.
    Status begin(std::int64_t end) {
        struct stat from {
        }, to{};
        if (::fstat(in_.descriptor(), &from) != 0)
            return Status::fromErrno(in_.path(), errno);
        if (Status s = source_.begin(in_, end, static_cast<std::int64_t>(from.st_size)); !s)
            return s;
        struct statfs fs {};
        if (fileSystemFirst_ && ::fstatfs(out_.descriptor(), &fs) == 0)
            block_ = fs.f_frsize > 0 ? fs.f_frsize : fs.f_bsize;
        if (::fstat(out_.descriptor(), &to) == 0) {
            devicesKnown_ = true;
            fromDevice_ = static_cast<std::uint64_t>(from.st_dev);
            toDevice_ = static_cast<std::uint64_t>(to.st_dev);
            const std::lock_guard<std::mutex> lock(slowDevicesLock);
            if (slowDevices.speed > 0 && slowDevices.from == fromDevice_ &&
                slowDevices.to == toDevice_)
                moved_.resume(slowDevices.speed);
        }
        return {};
    }

    // Fails when the source's length is no longer what it was at begin().
    Status checkUnchanged() const { return source_.checkUnchanged(); }

    // Moves `length` bytes from `inPos` to `outPos` the first way that works.
    Status range(std::int64_t inPos, std::int64_t outPos, std::int64_t length) {
        const std::int64_t outEnd = outPos + length;
        const bool aligned = block_ > 0 && inPos % block_ == 0 && outPos % block_ == 0;
        if (clone_ && aligned && outPos < outEnd)
            if (Status s = cloneRounds(inPos, outPos, outEnd); !s)
                return s;
        if (fileSystemFirst_ && kernel_ && aligned && outPos < outEnd)
            if (Status s = kernelRange(inPos, outPos, outEnd); !s)
                return s;
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

    // Before a round that moves bytes from `inPos` of a range that ends at
    // `inEnd`: the test seam's wait, and while the rounds are paced the end
    // of the last round's writing and this round's reading ahead. Returns
    // when the round began.
    Clock::time_point startRound(std::int64_t inPos, std::int64_t inEnd) {
        const Clock::time_point began = Clock::now();
        beforeRound();
        if (moved_.paced())
            waitWritten();
        readAhead(inPos, inEnd);
        return began;
    }

    // After a round that began at `began` and wrote [from, to) of `out`.
    void endRound(Clock::time_point began, std::int64_t from, std::int64_t to) {
        moved_.finished(began, to - from);
        if (moved_.paced())
            startWriting(from, to);
        else
            writingFrom_ = writingTo_ = 0;
    }

    // While the rounds are paced, a round's bytes are sent to the device
    // right after it and the next round waits until they are written:
    // otherwise the system's writeback may have megabytes of the file on
    // their way to a slow device when the copy is stopped, and removing
    // the half copy waits for every one of them. The wait is part of the
    // next round's time, so the rounds fit the device's writing speed too.
    // Hints only: a write error still comes when the file is completed.
    // A device found to write a full round in well under kCopyRoundTime, on
    // average over a few rounds (only the source is slow), is left to the
    // system's writeback for the rest of the copy.
    void startWriting(std::int64_t from, std::int64_t to) {
        if (!writingBehind_)
            return;
        (void)::sync_file_range(out_.descriptor(), from, to - from, SYNC_FILE_RANGE_WRITE);
        writingFrom_ = from;
        writingTo_ = to;
    }
    void waitWritten() {
        if (writingTo_ <= writingFrom_)
            return;
        const Clock::time_point began = Clock::now();
        (void)::sync_file_range(out_.descriptor(), writingFrom_, writingTo_ - writingFrom_,
                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                    SYNC_FILE_RANGE_WAIT_AFTER);
        waitedSeconds_ += std::chrono::duration<double>(Clock::now() - began).count();
        waitedBytes_ += static_cast<double>(writingTo_ - writingFrom_);
        const double fullRoundTime = std::chrono::duration<double>(kCopyRoundTime).count() / 4;
        if (waitedBytes_ >= 4 * kCopyRoundBytes &&
            waitedSeconds_ * static_cast<double>(kCopyRoundBytes) < fullRoundTime * waitedBytes_)
            writingBehind_ = false;
        writingFrom_ = writingTo_ = 0;
    }

    // While the rounds are paced the kernel's read-ahead is off for the
    // source, and this round's bytes and the next round's are asked for
    // instead: a read-ahead window (megabytes on some devices, read as one)
    // would hold a round on a slow device up for many times kCopyRoundTime,
    // while these keep the device busy and each round waiting for its own
    // bytes only. In full rounds the kernel reads ahead as usual. Hints
    // only: a refusal changes nothing but the speed.
    void readAhead(std::int64_t inPos, std::int64_t inEnd) {
        if (moved_.paced() != readingAhead_) {
            readingAhead_ = moved_.paced();
            (void)::posix_fadvise(in_.descriptor(), 0, 0,
                                  readingAhead_ ? POSIX_FADV_RANDOM : POSIX_FADV_NORMAL);
        }
        if (readingAhead_ && inPos < inEnd)
            (void)::posix_fadvise(in_.descriptor(), inPos,
                                  std::min(2 * moved_.size(), inEnd - inPos), POSIX_FADV_WILLNEED);
    }

    // FICLONERANGE, one round at a time, from offsets that are multiples of
    // the block size: the file system shares the source's blocks with `out`,
    // which is as good as a copy and moves no data. Each round ends on a
    // block boundary, or at the range's end where that is the source's end.
    // Leaves an unaligned rest, and everything from a refusal on (which
    // turns clones off for this copy), to the next way.
    Status cloneRounds(std::int64_t &inPos, std::int64_t &outPos, std::int64_t outEnd) {
        const bool toSourceEnd = inPos + (outEnd - outPos) == source_.length();
        while (outPos < outEnd) {
            const Clock::time_point began = Clock::now();
            beforeRound();
            std::int64_t end = roundEnd(outPos, outEnd, cloned_.size());
            if (end < outEnd || !toSourceEnd)
                end = outPos + (end - outPos) / block_ * block_;
            if (end <= outPos)
                return {};
            int rc;
            do {
                rc = cloneRange(in_, inPos, out_, outPos, end - outPos);
            } while (rc != 0 && errno == EINTR);
            if (rc != 0) {
                clone_ = false;
                return {};
            }
            // A clone stops at the source's end without saying so: a source
            // that shrank must not leave a hole in its place.
            if (Status s = checkUnchanged(); !s)
                return s;
            const std::int64_t n = end - outPos;
            inPos += n;
            outPos += n;
            cloned_.finished(began, n);
            if (Status s = report(n); !s)
                return s;
        }
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
        const std::int64_t inEnd = inPos + (outEnd - outPos);
        while (outPos < outEnd) {
            const Clock::time_point began = startRound(inPos, inEnd);
            // The round fits the pipe: a source page it starts in the middle
            // of takes a slot of its own. Where no multiple of
            // kCopyAlignment of `out` fits, it ends on a page boundary of the
            // source, so that the next round has every slot.
            const std::int64_t fits = pipe_.capacity() - inPos % pageBytes();
            const std::int64_t end = roundEnd(outPos, outEnd, std::min(moved_.size(), fits));
            // Fill the pipe up to the round's end.
            std::int64_t inPipe = 0; // bytes read from the source not yet written
            bool refused = false;
            while (outPos + inPipe < end) {
                loff_t off = inPos + inPipe;
                // Blocks only while the pipe is empty: should it be full
                // after all, EAGAIN comes instead of a wait for a reader that
                // is us.
                const unsigned flags = SPLICE_F_MOVE | (inPipe > 0 ? SPLICE_F_NONBLOCK : 0u);
                const ssize_t n = ::splice(in_.descriptor(), &off, pipe_.writeEnd(), nullptr,
                                           static_cast<std::size_t>(end - outPos - inPipe), flags);
                if (n > 0) {
                    inPipe += n;
                    continue;
                }
                if (n == 0)
                    return source_.endedEarly();
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
            // Write out all the pipe holds.
            const std::int64_t roundStart = outPos;
            while (inPipe > 0) {
                loff_t off = outPos;
                const ssize_t n = ::splice(pipe_.readEnd(), nullptr, out_.descriptor(), &off,
                                           static_cast<std::size_t>(inPipe), SPLICE_F_MOVE);
                if (n > 0) {
                    outPos += n;
                    inPos += n;
                    inPipe -= n;
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
            endRound(began, roundStart, outPos);
            if (Status s = report(outPos - roundStart); !s)
                return s;
        }
        return {};
    }

    // copy_file_range, one round at a time; as spliceRange when refused.
    Status kernelRange(std::int64_t &inPos, std::int64_t &outPos, std::int64_t outEnd) {
        const std::int64_t inEnd = inPos + (outEnd - outPos);
        while (outPos < outEnd) {
            const Clock::time_point began = startRound(inPos, inEnd);
            const std::int64_t end = roundEnd(outPos, outEnd, moved_.size());
            loff_t inOff = inPos;
            loff_t outOff = outPos;
            const ssize_t n =
                kernelCopy(in_, &inOff, out_, &outOff, static_cast<std::size_t>(end - outPos));
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
                // these files: the next way goes on, and tells which.
                if (Status s = checkUnchanged(); !s)
                    return s;
                kernel_ = false;
                return {};
            }
            inPos += n;
            outPos += n;
            endRound(began, outPos - n, outPos);
            if (Status s = report(n); !s)
                return s;
        }
        return {};
    }

    // pread into one buffer, pwrite from it, one round at a time.
    Status bufferedRange(std::int64_t inPos, std::int64_t outPos, std::int64_t outEnd) {
        // Grown to the range's need: a sparse source's first range may be short.
        const auto need = static_cast<std::size_t>(std::min(kCopyRoundBytes, outEnd - outPos));
        if (buffer_.size() < need)
            buffer_.resize(need);
        const std::int64_t inEnd = inPos + (outEnd - outPos);
        while (outPos < outEnd) {
            const Clock::time_point began = startRound(inPos, inEnd);
            const std::int64_t round =
                std::min(moved_.size(), static_cast<std::int64_t>(buffer_.size()));
            const std::int64_t size = roundEnd(outPos, outEnd, round) - outPos;
            for (std::int64_t got = 0; got < size;) {
                const ssize_t n = ::pread(in_.descriptor(), buffer_.data() + got,
                                          static_cast<std::size_t>(size - got), inPos + got);
                if (n > 0) {
                    got += n;
                } else if (n == 0) {
                    return source_.endedEarly();
                } else if (errno != EINTR) {
                    return Status::fromErrno(in_.path(), errno);
                }
            }
            if (Status s = out_.writeAt(outPos, buffer_.data(), static_cast<std::size_t>(size)); !s)
                return s;
            inPos += size;
            outPos += size;
            endRound(began, outPos - size, outPos);
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
    bool clone_ = false;
    bool fileSystemFirst_ = false; // a clone, then the kernel's copy, where aligned
    internal::SourceLength source_;
    std::int64_t hole_ = 0;              // bytes left a hole, not told of yet
    std::int64_t block_ = 0;             // the written file system's block; 0: unknown
    RoundSizer cloned_{kCopyRoundBytes}; // the rounds of clones
    RoundSizer moved_{kCopyRoundBytes};  // the rounds that move bytes, whichever way
    bool readingAhead_ = false;          // the source's read-ahead is ours (readAhead)
    bool writingBehind_ = true;          // see startWriting()
    double waitedSeconds_ = 0;           // waiting for them to be written
    double waitedBytes_ = 0;
    std::int64_t writingFrom_ = 0; // the last round's bytes on their way out
    std::int64_t writingTo_ = 0;
    bool devicesKnown_ = false;
    std::uint64_t fromDevice_ = 0;
    std::uint64_t toDevice_ = 0;
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
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: negative length to copy"), {in.path()}));
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

} // namespace dorvik::platform
