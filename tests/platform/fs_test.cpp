#include "platform/fs.h"

#include "tests/support/new_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace dorvik::platform;
using dorvik::testing::listDirectory;
using dorvik::testing::newFileAt;
using dorvik::testing::patternBytes;
using dorvik::testing::readFile;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;

#ifndef _WIN32
TEST(Paths, RootAwareAndPlainRules) {
    EXPECT_EQ(joinRootAware("/", "x"), "/x");
    EXPECT_EQ(joinRootAware("/data", "x"), "/data/x");
    EXPECT_EQ(joinPlain("/", "x"), "//x");
    EXPECT_EQ(joinPlain("/data", "x"), "/data/x");
    EXPECT_TRUE(isRoot("/"));
    EXPECT_FALSE(isRoot("/data"));
    EXPECT_EQ(shortenRootForTarget("/"), "/");
    EXPECT_EQ(fileNameOf("/a/b.txt"), "b.txt");
    EXPECT_EQ(directoryOf("/a/b.txt"), "/a");
    EXPECT_EQ(directoryOf("/b.txt"), "/");
    EXPECT_EQ(directoryOf("b.txt"), "");
}
#endif

#ifndef _WIN32
TEST(Identity, SameFileSeesThroughOtherSpellings) {
    TempDir dir;
    writeFile(dir / "f", "x");
    ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "link").c_str()), 0);
    EXPECT_TRUE(sameFile(dir.path(), dir.path() + "/"));
    EXPECT_TRUE(sameFile(dir.path(), dir / "link"));
    EXPECT_TRUE(sameFile(dir / "f", dir.path() + "/link/./f"));
    EXPECT_FALSE(sameFile(dir / "f", dir / "missing"));
    EXPECT_FALSE(sameFile(dir / "missing", dir / "missing"));
}
#endif

// The join compares these before it deletes a piece: an open file, its
// path and its directory's entry give one identity.
TEST(Identity, TheSameOpenByPathAndByDirectory) {
    TempDir dir;
    writeFile(dir / "a", "x");
    writeFile(dir / "b", "x");
    File a;
    ASSERT_TRUE(a.open(dir / "a"));
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    ASSERT_TRUE(a.id());
    EXPECT_EQ(a.id(), fileId(dir / "a"));
    EXPECT_EQ(a.id(), d.idOf("a"));
    EXPECT_NE(a.id(), d.idOf("b"));
}

TEST(Directories, MakeOneLevelAndReportFailures) {
    TempDir dir;
    EXPECT_TRUE(makeDirectory(dir / "new").ok());
    EXPECT_TRUE(makeDirectory(dir / "new").ok()) << "an existing directory is no failure";
    Status nested = makeDirectory(dir / "a/b");
    EXPECT_FALSE(nested.ok());
    EXPECT_NE(nested.message().find(dir / "a/b"), std::string::npos);
    writeFile(dir / "file", "x");
    EXPECT_EQ(makeDirectory(dir / "file").message(), dir / "file" + ": Not a directory");
}

TEST(Lengths, FilesDirectoriesAndMissing) {
    TempDir dir;
    writeFile(dir / "f", std::string(12345, 'a'));
    EXPECT_EQ(fileLength(dir / "f"), 12345);
    Status s;
    EXPECT_FALSE(fileLength(dir.path(), &s));
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(fileLength(dir / "missing", &s));
#ifndef _WIN32
    EXPECT_EQ(s.message(), dir / "missing" + ": No such file or directory");
#endif
}

TEST(FileAccess, PositionedReadsAndWrites) {
    TempDir dir;
    File f = newFileAt(dir / "f");
    ASSERT_TRUE(f.writeAt(10, "abc", 3).ok());
    EXPECT_EQ(f.length(), 13);
    char buffer[3];
    ASSERT_TRUE(f.readAt(10, buffer, 3).ok());
    EXPECT_EQ(std::string(buffer, 3), "abc");
    Status past = f.readAt(12, buffer, 3);
    EXPECT_FALSE(past.ok()) << "a read beyond the end is a failure, not a short read";
    EXPECT_TRUE(f.close().ok());

    File d;
    EXPECT_FALSE(d.open(dir.path()).ok()) << "a directory is not a file";
}

class CopyRangeTest : public ::testing::TestWithParam<CopyMethod> {};

TEST_P(CopyRangeTest, CopiesExactRangeAtOffsets) {
    TempDir dir;
    const std::string data = patternBytes(300001);
    writeFile(dir / "in", data);
    File in, out = newFileAt(dir / "out");
    ASSERT_TRUE(in.open(dir / "in").ok());
    ASSERT_TRUE(copyRange(in, 1000, out, 7, 200000, GetParam()).ok());
    ASSERT_TRUE(out.close().ok());
    const std::string got = readFile(dir / "out");
    ASSERT_EQ(got.size(), 200007u);
    EXPECT_EQ(got.substr(0, 7), std::string(7, '\0'));
    EXPECT_TRUE(got.substr(7) == data.substr(1000, 200000));
}

TEST_P(CopyRangeTest, OffsetsBeyondFourGiB) {
    TempDir dir;
    const std::int64_t at = (5LL << 30) + 3;
    const std::string data = patternBytes(100000);
    File in = newFileAt(dir / "in"), out = newFileAt(dir / "out");
    ASSERT_TRUE(in.writeAt(at, data.data(), data.size()).ok());
    ASSERT_TRUE(copyRange(in, at, out, at + 1, 100000, GetParam()).ok());
    EXPECT_EQ(out.length(), at + 100001);
    std::string got(100000, '\0');
    ASSERT_TRUE(out.readAt(at + 1, got.data(), got.size()).ok());
    EXPECT_TRUE(got == data);
}

TEST_P(CopyRangeTest, SourceShorterThanRangeFails) {
    TempDir dir;
    writeFile(dir / "in", patternBytes(1000));
    File in, out = newFileAt(dir / "out");
    ASSERT_TRUE(in.open(dir / "in").ok());
    Status s = copyRange(in, 0, out, 0, 2000, GetParam());
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(dir / "in"), std::string::npos) << s.message();
}

// Between two file systems the kernel declines (EXDEV) and the block buffer
// takes over on its own.
// Every range the observer hears of reads back from the new file as the
// source's, rounds of zeros left unwritten too: the checksums read each
// round back as it is reported.
TEST(CopyIntoNewFile, EveryRangeReportedReadsBack) {
    TempDir dir;
    const std::string data = patternBytes(1 << 20) + std::string(3 << 20, '\0');
    writeFile(dir / "in", data);
    File in, out = newFileAt(dir / "out");
    ASSERT_TRUE(in.open(dir / "in"));
    struct ReadBack : CopyObserver {
        const File *out = nullptr;
        std::string data, mismatch;
        std::int64_t at = 0;
        bool copied(std::int64_t bytes) override {
            std::string got(static_cast<std::size_t>(bytes), '\x01');
            if (mismatch.empty() && (!out->readAt(at, got.data(), got.size()) ||
                                     got != data.substr(static_cast<std::size_t>(at), got.size())))
                mismatch = std::to_string(at);
            at += bytes;
            return true;
        }
    } readBack;
    readBack.out = &out;
    readBack.data = data;
    ASSERT_TRUE(copyIntoNewFile(in, 0, out, 0, 4 << 20, CopyMethod::Auto, &readBack));
    EXPECT_EQ(readBack.mismatch, "") << "the range from there did not read back";
    EXPECT_EQ(readBack.at, 4 << 20);
}

#ifndef _WIN32
TEST(CopyRange, AutoFallsBackWhereTheKernelDeclines) {
    TempDir here;
    if (!isDirectory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm";
    char pattern[] = "/dev/shm/dorvik-test-XXXXXX";
    if (!::mkdtemp(pattern))
        GTEST_SKIP() << "/dev/shm is not writable";
    const std::string other = pattern;
    const auto a = fileId(here.path()), b = fileId(other);
    const std::string data = patternBytes(250001);
    writeFile(other + "/in", data);
    Status s;
    {
        File in, out = newFileAt(here / "out");
        ASSERT_TRUE(in.open(other + "/in").ok());
        s = copyRange(in, 1, out, 3, 250000, CopyMethod::Auto);
    }
    ::unlink((other + "/in").c_str());
    ::rmdir(other.c_str());
    if (!a || !b || a->device == b->device)
        GTEST_SKIP() << "/dev/shm is on the same file system as " << here.path();
    ASSERT_TRUE(s.ok()) << s.message();
    const std::string got = readFile(here / "out");
    ASSERT_EQ(got.size(), 250003u);
    EXPECT_TRUE(got.substr(3) == data.substr(1));
}
#endif

INSTANTIATE_TEST_SUITE_P(BothMethods, CopyRangeTest,
                         ::testing::Values(CopyMethod::Auto, CopyMethod::Buffered));

#ifndef _WIN32
TEST(CopyFile, ReplacesDestinationAndKeepsPermissions) {
    TempDir dir;
    writeFile(dir / "prog", "#!/bin/sh\necho hi\n");
    ASSERT_EQ(::chmod((dir / "prog").c_str(), 0755), 0);
    writeFile(dir / "copy", "older and longer contents");
    ASSERT_TRUE(copyFile(dir / "prog", dir / "copy").ok());
    EXPECT_EQ(readFile(dir / "copy"), "#!/bin/sh\necho hi\n");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "copy").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR) << "a copied program stays executable";
}
#endif

#ifndef _WIN32
TEST(CopyFile, HolesOfASparseSourceStayHoles) {
    TempDir dir;
    const std::int64_t at = 64LL << 20;
    const std::string data = patternBytes(5000);
    File f = newFileAt(dir / "sparse");
    ASSERT_TRUE(f.writeAt(at, data.data(), data.size()).ok());
    ASSERT_TRUE(f.close().ok());
    ASSERT_TRUE(copyFile(dir / "sparse", dir / "copy").ok());
    const std::string got = readFile(dir / "copy");
    ASSERT_EQ(got.size(), static_cast<std::size_t>(at) + data.size());
    EXPECT_EQ(got.find_first_not_of('\0'), static_cast<std::size_t>(at));
    EXPECT_TRUE(got.substr(at) == data);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "copy").c_str(), &st), 0);
    EXPECT_LT(st.st_blocks * 512, at / 2) << "the hole was written out as zeros";
}
#endif

TEST(CopyFile, FailuresLeaveNothingBehind) {
    TempDir dir;
    writeFile(dir / "a", "data");
    Status missingDir = copyFile(dir / "a", dir / "nodir/a");
    EXPECT_FALSE(missingDir.ok());
    EXPECT_NE(missingDir.message().find(dir / "nodir/a"), std::string::npos)
        << "names the destination, not a temporary: " << missingDir.message();

    writeFile(dir / "b", "keep me");
    EXPECT_FALSE(copyFile(dir / "missing", dir / "b").ok());
    EXPECT_EQ(readFile(dir / "b"), "keep me");

    Status onto = copyFile(dir / "a", dir.path() + "/./a");
    EXPECT_FALSE(onto.ok()) << "a file is never copied onto itself";
    EXPECT_EQ(readFile(dir / "a"), "data");

    EXPECT_EQ(dorvik::testing::listDirectory(dir.path()).size(), 2u) << "no temporary file is left";
}

TEST(TemporaryNames, HiddenBesideTheFinalFile) {
    TempDir dir;
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    NewFile a, b;
    ASSERT_TRUE(a.create(d, "report.000"));
    ASSERT_TRUE(b.create(d, "report.000"));
    EXPECT_EQ(a.temporaryName().rfind(".report.000.part-", 0), 0u) << a.temporaryName();
    EXPECT_NE(a.temporaryName(), b.temporaryName());
    EXPECT_EQ(dorvik::testing::listDirectory(dir.path()),
              (std::set<std::string>{a.temporaryName(), b.temporaryName()}));
}

TEST(TemporaryNames, ALongNameStillGivesAUsableTemporary) {
    TempDir dir;
    // 255 bytes, the most a name may have; "\u00e9" straddles the cut.
    const std::string name = std::string(239, 'a') + "\u00e9" + std::string(14, 'b');
    ASSERT_EQ(name.size(), 255u);
    writeFile(dir / "src", "data");
    ASSERT_TRUE(copyFile(dir / "src", dir / name).ok());
    EXPECT_EQ(readFile(dir / name), "data");
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    NewFile f;
    ASSERT_TRUE(f.create(d, name));
    const std::string t = f.temporaryName();
    EXPECT_LE(t.size(), 255u);
    EXPECT_EQ(t.find('\xc3'), std::string::npos) << "cut before the two-byte character";
}

TEST(CopyFile, ADestinationThatCannotBeLookedUpFailsAtOnce) {
    TempDir dir;
    writeFile(dir / "a", "data");
    writeFile(dir / "file", "in the way");
    Status s = copyFile(dir / "a", dir / "file/a");
    EXPECT_EQ(s.message(), dir / "file/a" + ": Not a directory");
}

// A second run waits for the one that holds a set's lock, gives up after
// its patience (or at a stop request), and gets the lock once it is free;
// nothing is left behind. Also for a name of the most bytes a name may have.
TEST(SetLock, ASecondRunWaitsThenGivesUp) {
    using namespace std::chrono_literals;
    for (const std::string &set : {std::string("f.000"), std::string(251, 'a') + ".000"}) {
        TempDir dir;
        Directory d;
        ASSERT_TRUE(d.open(dir.path()));
        SetLock held, other;
        ASSERT_TRUE(held.acquire(d, set));
        const Status refused = other.acquire(d, set, 100ms);
        EXPECT_EQ(refused.message(), dir / set + ": another run is writing this piece set");
        EXPECT_TRUE(other.heldElsewhere());
        EXPECT_TRUE(other.acquire(d, set, 10s, [] { return true; }).isStopped());
        std::thread releaser([&] {
            std::this_thread::sleep_for(50ms);
            held.release();
        });
        EXPECT_TRUE(other.acquire(d, set, 10s));
        releaser.join();
        other.release();
        EXPECT_TRUE(listDirectory(dir.path()).empty()) << "the lock leaves nothing behind";
    }
}

} // namespace
