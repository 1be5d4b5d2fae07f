// The platform side of a trustworthy data path: read-only sources, opens
// that never wait, leftovers of killed runs, a set put in place as a whole
// (the flushes are watched where the split and the join use them).
#include "platform/faults.h"
#include "platform/fs.h"

#include "tests/support/child.h"
#include "tests/support/temp_dir.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace dorvik::platform;
using dorvik::testing::handToNobody;
using dorvik::testing::kCannotDrop;
using dorvik::testing::listDirectory;
using dorvik::testing::readFile;
using dorvik::testing::runAsNobody;
using dorvik::testing::runInChild;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;
using faults::Call;

unsigned modeOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xffff;
}

// ---- a read-only source copies for an ordinary user ------------------------------

TEST(ReadOnlySource, CopiesForAnOrdinaryUserWithTheSourcesBits) {
    struct Case {
        unsigned mode, umask, expected;
    } cases[] = {
        {0444, 022, 0444}, {0400, 022, 0400}, {0555, 022, 0555},
        {0755, 077, 0700}, {0666, 027, 0640}, {0444, 0222, 0444},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::oct << c.mode << " umask " << c.umask);
        TempDir dir;
        writeFile(dir / "src", "read-only data");
        ASSERT_EQ(::chmod((dir / "src").c_str(), c.mode), 0);
        handToNobody(dir.path(), dir / "src"); // its own file, read-only to itself too
        ASSERT_EQ(::mkdir((dir / "out").c_str(), 0755), 0);
        handToNobody(dir.path(), dir / "out");
        writeFile(dir / "out/older", "older");
        handToNobody(dir.path(), dir / "out/older");
        const int code = runAsNobody([&] {
            ::umask(c.umask);
            const Status fresh = copyFile(dir / "src", dir / "out/copy");
            const Status over = copyFile(dir / "src", dir / "out/older");
            return fresh.ok() && over.ok() ? 0 : 1;
        });
        if (code == kCannotDrop)
            GTEST_SKIP() << "cannot drop to uid 65534 here";
        ASSERT_EQ(code, 0);
        EXPECT_EQ(readFile(dir / "out/copy"), "read-only data");
        EXPECT_EQ(readFile(dir / "out/older"), "read-only data");
        EXPECT_EQ(modeOf(dir / "out/copy"), c.expected);
        EXPECT_EQ(modeOf(dir / "out/older"), c.expected);
        EXPECT_EQ(listDirectory(dir / "out"), (std::set<std::string>{"copy", "older"}));
    }
}

// ---- opening never waits -----------------------------------------------------------

TEST(OpenNeverBlocks, NamedPipesAndDevicesAreRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        std::string path;
        File::Mode mode;
    } cases[] = {
        {dir / "pipe", File::Mode::Read},
        {dir / "pipe", File::Mode::Append},
        {dir / "pipe", File::Mode::Create},
        {"/dev/null", File::Mode::Read},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        // A child, so that an open that waits for a writer ends by the alarm
        // instead of holding the suite up.
        const auto end = runInChild([&] {
            ::alarm(10);
            File f;
            const Status s = f.open(c.path, c.mode);
            return s.message() == c.path + ": Not a regular file" ? 0 : 1;
        });
        EXPECT_EQ(end.signal, 0) << "the open waited";
        EXPECT_EQ(end.code, 0);
    }
    const auto copy = runInChild([&] {
        ::alarm(10);
        return copyFile(dir / "pipe", dir / "copy").message() ==
                       dir / "pipe" + ": Not a regular file"
                   ? 0
                   : 1;
    });
    EXPECT_EQ(copy.signal, 0) << "the copy waited";
    EXPECT_EQ(copy.code, 0);
    EXPECT_EQ(listDirectory(dir.path()), std::set<std::string>{"pipe"});
}

// ---- leftovers of killed runs -----------------------------------------------------------

TEST(Leftovers, OnlyUnlockedTemporariesOfTheNameAreRemoved) {
    TempDir dir;
    const std::set<std::string> others = {
        "f.000",                 // the file itself
        ".f.000.part-ABCDEFGH",  // not our pattern: capitals
        ".f.000.part-abc",       // too short
        ".f.0000.part-abcdefgh", // another name's
        ".f.001.part-abcdefgh",
    };
    for (const std::string &n : others)
        writeFile(dir / n, "keep");
    writeFile(dir / ".f.000.part-dead0001", "left by a killed run");
    writeFile(dir / ".f.000.part-dead0002", "left by a killed run");
    writeFile(dir / ".f.000.part-live0001", "a run is still writing this");

    // The running run: a child holding the lock on its temporary.
    dorvik::testing::LockHolder running(dir / ".f.000.part-live0001");
    ASSERT_TRUE(running.held());

    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    EXPECT_EQ(removeLeftovers(d, "f.000"), 2);
    std::set<std::string> expected = others;
    expected.insert(".f.000.part-live0001");
    EXPECT_EQ(listDirectory(dir.path()), expected);

    // Once that run has gone, its temporary is a leftover too.
    running.release();
    EXPECT_EQ(removeLeftovers(d, "f.000"), 1);
    EXPECT_EQ(listDirectory(dir.path()), others);
}

TEST(Leftovers, ANewFileIsLockedWhileItLives) {
    TempDir dir;
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    NewFile f;
    ASSERT_TRUE(f.create(d, "f.000"));
    // Another process sweeping now must leave it alone.
    const auto end = runInChild([&] { return removeLeftovers(d, "f.000"); });
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(listDirectory(dir.path()), std::set<std::string>{f.temporaryName()});
    f.discard();
    EXPECT_TRUE(listDirectory(dir.path()).empty());
}

// ---- a set put in place as a whole ---------------------------------------------------------

// Three new files "s.000" to "s.002" completed in `d`, holding "new k".
std::vector<NewFile> newSet(const Directory &d) {
    std::vector<NewFile> files(3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(files[k].create(d, "s.00" + std::to_string(k)));
        const std::string text = "new " + std::to_string(k);
        EXPECT_TRUE(files[k].file().writeAt(0, text.data(), text.size()));
    }
    return files;
}

TEST(PutTogether, AFailureAnywhereLeavesEveryOlderFileAsItWas) {
    struct Case {
        const char *what;
        Call call;
        int nth;
        bool linksFail; // a file system without hard links
    } cases[] = {
        {"first rename", Call::Rename, 1, false},
        {"second rename", Call::Rename, 2, false},
        {"last rename", Call::Rename, 3, false},
        {"removing the first", Call::Unlink, 1, false},
        {"flush", Call::Fsync, 4, false},
        {"move aside, 1st", Call::Rename, 1, true},
        {"move aside, 2nd", Call::Rename, 2, true},
        {"rename after moving aside", Call::Rename, 3, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "s.000", "old 0");
        writeFile(dir / "s.002", "old 2"); // no older s.001
        writeFile(dir / "other", "other");
        Directory d;
        ASSERT_TRUE(d.open(dir.path()));
        std::vector<NewFile> files = newSet(d);
        const auto fail = faults::failNth(c.call, c.nth, EIO);
        int links = 0;
        faults::ScopedHook hook([&](Call call, const std::string &path) {
            if (c.linksFail && call == Call::Link)
                return ++links, EPERM;
            return fail(call, path);
        });
        const Status s = putInPlaceTogether(files, Flush::Durable);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find("Input/output error"), std::string::npos) << s.message();
        EXPECT_EQ(listDirectory(dir.path()), (std::set<std::string>{"s.000", "s.002", "other"}));
        EXPECT_EQ(readFile(dir / "s.000"), "old 0");
        EXPECT_EQ(readFile(dir / "s.002"), "old 2");
    }
}

} // namespace
