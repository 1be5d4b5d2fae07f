#include "platform/copy.h"
#include "platform/faults.h"
#include "platform/fs.h"

#include "tests/support/descriptors.h"
#include "tests/support/new_file.h"
#include "tests/support/temp_dir.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace dorvik::platform;
using dorvik::testing::newFileAt;
using dorvik::testing::openDescriptors;
using dorvik::testing::patternBytes;
using dorvik::testing::readFile;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;

constexpr std::int64_t K = kCopyAlignment; // 64 KiB
constexpr std::int64_t M = kCopyRoundBytes;

// Records every round; `onRound(k)` runs after round k (1, 2, ...) and
// returns false to stop the copy.
class Recorder : public CopyObserver {
public:
    std::function<bool(int)> onRound;
    std::vector<std::int64_t> rounds;
    bool copied(std::int64_t bytes) override {
        rounds.push_back(bytes);
        return !onRound || onRound(static_cast<int>(rounds.size()));
    }
    std::int64_t sum() const { return std::accumulate(rounds.begin(), rounds.end(), 0LL); }
};

class Copy : public ::testing::TestWithParam<CopyMethod> {
protected:
    TempDir dir;
    File in, out;
    // Opens dir/in holding `data` and then a hole up to `length` (none when
    // 0), and a new dir/out.
    void open(const std::string &data, std::int64_t length = 0) {
        writeFile(dir / "in", data);
        if (length) {
            ASSERT_EQ(::truncate((dir / "in").c_str(), length), 0);
        }
        ASSERT_TRUE(in.open(dir / "in").ok());
        out = newFileAt(dir / "out");
        ASSERT_TRUE(out.isOpen());
    }
    // copyIntoNewFile or copyRange by this test's method.
    Status copy(bool intoNew, const File &from, std::int64_t inOffset, std::int64_t outOffset,
                std::int64_t length, Recorder &rec) {
        return intoNew ? copyIntoNewFile(from, inOffset, out, outOffset, length, GetParam(), &rec)
                       : copyRange(from, inOffset, out, outOffset, length, GetParam(), &rec);
    }
};

// Ranges that start, end and span the alignment and round boundaries from
// either side, in the source and in the file written.
TEST_P(Copy, ByteForByteInOutputAlignedRounds) {
    const std::string data = patternBytes(4 * M);
    const struct Case {
        std::int64_t inOffset, outOffset, length;
    } cases[] = {
        {0, 0, 1},           {1, 0, K - 1},
        {0, 1, K},           {K - 1, K + 1, 2 * M + 3},
        {100, 3 * K - 7, M}, {4093, M - 1, M + K + 1},
        {0, 0, 3 * M},       {K, 2 * K, M - K},
    };
    open(data);
    for (const Case &c : cases) {
        for (bool intoNew : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.inOffset << " -> " << c.outOffset << " + "
                                            << c.length << (intoNew ? " new" : ""));
            ASSERT_EQ(::ftruncate(out.descriptor(), 0), 0);
            Recorder rec;
            const Status s = copy(intoNew, in, c.inOffset, c.outOffset, c.length, rec);
            ASSERT_TRUE(s.ok()) << s.message();
            EXPECT_TRUE(readFile(dir / "out") ==
                        std::string(c.outOffset, '\0') + data.substr(c.inOffset, c.length));
            EXPECT_EQ(rec.sum(), c.length);
            std::int64_t at = c.outOffset;
            for (std::size_t r = 0; r < rec.rounds.size(); ++r) {
                EXPECT_GT(rec.rounds[r], 0);
                EXPECT_LE(rec.rounds[r], M);
                at += rec.rounds[r];
                EXPECT_TRUE(at % K == 0 || r + 1 == rec.rounds.size()) << "round " << r;
            }
        }
    }
}

// Data at the start and at 5 MiB, holes around it, copied to a new file at
// an odd offset.
TEST_P(Copy, HolesStayHolesAndCountAsProgress) {
    const std::int64_t length = 8 * M;
    const std::string tail = patternBytes(70000, 3);
    open(patternBytes(100000, 2), length);
    std::fstream(dir / "in", std::ios::binary | std::ios::in | std::ios::out).seekp(5 * M) << tail;
    Recorder rec;
    ASSERT_TRUE(copy(true, in, 0, 12345, length, rec).ok());
    EXPECT_EQ(rec.sum(), length);
    EXPECT_TRUE(readFile(dir / "out") == std::string(12345, '\0') + readFile(dir / "in"));
    struct stat st {};
    ASSERT_EQ(::fstat(out.descriptor(), &st), 0);
    if (GetParam() != CopyMethod::Buffered) {
        EXPECT_LT(st.st_blocks * 512, 2 * M) << "a hole was written out as zeros";
    }
}

TEST_P(Copy, StopAfterAnyRoundIsAStopAndLeaksNothing) {
    open(patternBytes(5 * M));
    const int descriptors = openDescriptors();
    for (int k : {1, 2, 4}) {
        Recorder rec;
        rec.onRound = [k](int round) { return round < k; };
        const Status s = copy(true, in, 3, 5, 5 * M - 3, rec);
        EXPECT_TRUE(s.isStopped()) << k << ": " << s.message();
        EXPECT_EQ(rec.rounds.size(), static_cast<std::size_t>(k)) << "went on after the stop";
    }
    EXPECT_EQ(openDescriptors(), descriptors);
}

// The observer changes the source after the first round: the copy must fail,
// never finish with bytes it did not read.
TEST_P(Copy, ASourceThatChangesLengthMidCopyFails) {
    const struct Case {
        const char *what;
        bool sparse;         // 1.5 MiB of data, then a hole to the end
        std::int64_t change; // the source's new length
        bool intoNew;
    } cases[] = {
        {"shrinks", false, 3 * M, false},
        {"shrinks", false, 3 * M, true},
        {"grows", false, 9 * M, true},
        {"shrinks into its hole", true, 2 * M, true},
        {"shrinks into its hole", true, 2 * M, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << (c.intoNew ? " new" : ""));
        open(patternBytes(c.sparse ? 3 * M / 2 : 8 * M), 8 * M);
        Recorder rec;
        rec.onRound = [&](int round) {
            return round != 1 || ::truncate((dir / "in").c_str(), c.change) == 0;
        };
        const Status s = copy(c.intoNew, in, 0, 0, 8 * M, rec);
        EXPECT_TRUE(s.failed());
        EXPECT_EQ(s.message(), dir / "in" + ": the file changed while it was being copied");
    }
}

// With every round as slow as kCopyRoundTime (the test seam's wait), the
// rounds shrink to the smallest a round can be, and a stop is seen at the
// end of the round it came in; both where the file system's own copy comes
// first (aligned offsets) and where splice does. A copy not stopped still
// copies every byte with its rounds paced, and the next copy between the same
// devices starts at the speed the slow one ended at.
TEST_P(Copy, OnASlowDeviceTheRoundsShrinkToTheSmallest) {
    const struct Case {
        std::int64_t inOffset, outOffset, length;
        bool intoNew;
        int stopAt; // 0: runs to its end
    } cases[] = {
        {0, 0, 3 * M, true, 3},
        {3, 5, 3 * M, false, 4},
        {7, 0, 4 * K + 3, true, 0},
    };
    const std::string data = patternBytes(4 * M);
    open(data);
    setCopyRoundDelay(kCopyRoundTime);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.inOffset << " -> " << c.outOffset);
        ASSERT_EQ(::ftruncate(out.descriptor(), 0), 0);
        Recorder rec;
        rec.onRound = [&](int round) { return c.stopAt == 0 || round < c.stopAt; };
        const Status s = copy(c.intoNew, in, c.inOffset, c.outOffset, c.length, rec);
        if (c.stopAt == 0) {
            ASSERT_TRUE(s.ok()) << s.message();
            EXPECT_TRUE(readFile(dir / "out") ==
                        std::string(c.outOffset, '\0') + data.substr(c.inOffset, c.length));
        } else {
            EXPECT_TRUE(s.isStopped()) << s.message();
            ASSERT_EQ(rec.rounds.size(), static_cast<std::size_t>(c.stopAt));
        }
        // Each round is smaller than the one before, down to the smallest:
        // from a copy that knew nothing yet, the second is the smallest;
        // from the speed an earlier slow copy on this device ended at, a
        // few rounds later.
        for (std::size_t r = 1; r < rec.rounds.size(); ++r)
            EXPECT_TRUE(rec.rounds[r] == K || rec.rounds[r] < rec.rounds[r - 1])
                << "round " << r << ": " << rec.rounds[r - 1] << ", " << rec.rounds[r];
    }
    setCopyRoundDelay(std::chrono::microseconds(0));
    Recorder next;
    ASSERT_TRUE(copy(false, in, 0, 0, 2 * K, next).ok());
    EXPECT_EQ(next.rounds[0], K) << "started at full speed after a slow copy";
}

// From another file system (tmpfs) the kernel's copy declines with EXDEV and
// the next way takes over where it stopped.
TEST_P(Copy, FromAnotherFileSystem) {
    char pattern[] = "/dev/shm/dorvik-test-XXXXXX";
    if (!::mkdtemp(pattern))
        GTEST_SKIP() << "/dev/shm is not writable";
    const std::string other = pattern, data = patternBytes(2 * M + 7);
    writeFile(other + "/in", data);
    const auto a = fileId(dir.path()), b = fileId(other);
    File from;
    const bool opened = from.open(other + "/in").ok();
    ::unlink((other + "/in").c_str()); // the open file stays readable
    ::rmdir(other.c_str());
    if (!a || !b || a->device == b->device)
        GTEST_SKIP() << "/dev/shm is on the same file system as " << dir.path();
    out = newFileAt(dir / "out");
    ASSERT_TRUE(opened && out.isOpen());
    Recorder rec;
    const Status s = copy(true, from, 1, 3, 2 * M + 6, rec);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(rec.sum(), 2 * M + 6);
    EXPECT_TRUE(readFile(dir / "out") == std::string(3, '\0') + data.substr(1));
}

std::string methodName(const ::testing::TestParamInfo<CopyMethod> &info) {
    const char *names[] = {"Auto", "Buffered", "Splice", "Kernel"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, Copy,
                         ::testing::Values(CopyMethod::Auto, CopyMethod::Splice, CopyMethod::Kernel,
                                           CopyMethod::Buffered),
                         methodName);

// A way the file system refuses part-way hands the rest of the range to the
// next one, which goes on where it stopped; an error that is no refusal fails
// the copy, naming the file it belongs to.
TEST(CopyFallback, ARefusedWayHandsOnTheRestAndAFailureNamesItsFile) {
    using faults::Call;
    const struct Case {
        CopyMethod method;
        std::int64_t inOffset, outOffset;
        Call call;
        int nth, err;
        const char *fails; // "" when the copy goes through, else the file named
    } cases[] = {
        {CopyMethod::Auto, 0, 0, Call::Clone, 1, EOPNOTSUPP, ""},
        {CopyMethod::Auto, 4096, 8192, Call::KernelCopy, 3, EXDEV, ""},
        {CopyMethod::Kernel, 3, 5, Call::KernelCopy, 2, EINVAL, ""},
        {CopyMethod::Auto, 0, 0, Call::KernelCopy, 2, ENOSPC, "out"},
        {CopyMethod::Kernel, 3, 5, Call::KernelCopy, 2, EIO, "in"},
    };
    const std::string data = patternBytes(3 * M + 11);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.call) << " fails " << c.nth << " with " << c.err);
        TempDir dir;
        writeFile(dir / "in", data);
        File in, out = newFileAt(dir / "out");
        ASSERT_TRUE(in.open(dir / "in").ok() && out.isOpen());
        const std::int64_t length = 3 * M + 11 - c.inOffset;
        Recorder rec;
        Status s;
        {
            faults::ScopedHook hook(faults::failNth(c.call, c.nth, c.err));
            s = copyIntoNewFile(in, c.inOffset, out, c.outOffset, length, c.method, &rec);
        }
        if (*c.fails) {
            EXPECT_EQ(s.message(), dir / c.fails + ": " + std::strerror(c.err));
            continue;
        }
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(rec.sum(), length);
        EXPECT_TRUE(readFile(dir / "out") ==
                    std::string(c.outOffset, '\0') + data.substr(c.inOffset));
    }
}

} // namespace
