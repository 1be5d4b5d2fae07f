// The platform side of a trustworthy data path: read-only sources, opens
// that never wait, leftovers of killed runs (putting a set in place, the
// flushes and a stop are watched where the split and the join use them).
#include "platform/fs.h"
#include "platform/writeback.h"

#include "tests/support/child.h"
#include "tests/support/descriptors.h"
#include "tests/support/new_file.h"
#include "tests/support/temp_dir.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace dorvik::platform;
using namespace dorvik::testing;

unsigned modeOf(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xffff;
}

// An ordinary user copies its own read-only file, to a new name and over an
// older file; the copy has the source's bits less the umask.
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
        ASSERT_EQ(::mkdir((dir / "out").c_str(), 0755), 0);
        writeFile(dir / "src", "read-only data");
        writeFile(dir / "out/older", "older");
        ASSERT_EQ(::chmod((dir / "src").c_str(), c.mode), 0);
        for (const char *name : {"src", "out", "out/older"})
            handToNobody(dir.path(), dir / name);
        const int code = runAsNobody([&] {
            ::umask(c.umask);
            return copyFile(dir / "src", dir / "out/copy").ok() &&
                           copyFile(dir / "src", dir / "out/older").ok()
                       ? 0
                       : 1;
        });
        if (code == kCannotDrop)
            GTEST_SKIP() << "cannot drop to uid 65534 here";
        ASSERT_EQ(code, 0);
        EXPECT_EQ(listDirectory(dir / "out"), (std::set<std::string>{"copy", "older"}));
        for (const char *name : {"out/copy", "out/older"}) {
            EXPECT_EQ(readFile(dir / name), "read-only data");
            EXPECT_EQ(modeOf(dir / name), c.expected);
        }
    }
}

// Each case runs in a child, so that an open that waits for a writer ends by
// the alarm instead of holding the suite up.
TEST(OpenNeverBlocks, NamedPipesAndDevicesAreRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto open = [](const std::string &path) { return [=] { return File().open(path); }; };
    const struct Case {
        std::string path;
        std::function<Status()> run;
    } cases[] = {
        {dir / "pipe", open(dir / "pipe")},
        {"/dev/null", open("/dev/null")},
        {dir / "pipe", [&] { return copyFile(dir / "pipe", dir / "copy"); }},
    };
    for (const Case &c : cases) {
        const auto end = runInChild([&] {
            ::alarm(10);
            return c.run().message() == c.path + ": Not a regular file" ? 0 : 1;
        });
        EXPECT_EQ(end.signal, 0) << "the open waited";
        EXPECT_EQ(end.code, 0);
    }
    EXPECT_EQ(listDirectory(dir.path()), std::set<std::string>{"pipe"});
}

// A new file sweeps the leftovers of its name: only unlocked temporaries of
// that name go. A NewFile's temporary is locked while it lives, so a running
// run's is spared. (Every file a split or a join writes is a NewFile.)
TEST(Leftovers, ANewFileRemovesOnlyUnlockedTemporariesOfItsName) {
    TempDir dir;
    std::set<std::string> kept = {
        "f.000",                 // the file itself
        ".f.000.part-ABCDEFGH",  // not our pattern: capitals
        ".f.000.part-abc",       // too short
        ".f.0000.part-abcdefgh", // another name's
        ".f.001.part-abcdefgh",
    };
    for (const std::string &n : kept)
        writeFile(dir / n, "keep");
    writeFile(dir / ".f.000.part-dead0001", "left by a killed run");
    writeFile(dir / ".f.000.part-dead0002", "left by a killed run");
    Directory d;
    ASSERT_TRUE(d.open(dir.path()));
    NewFile running, next;
    ASSERT_TRUE(running.create(d, "f.000"));
    ASSERT_TRUE(next.create(d, "f.000"));
    kept.insert({running.temporaryName(), next.temporaryName()});
    EXPECT_EQ(listDirectory(dir.path()), kept);
    EXPECT_EQ(removeLeftovers(d, "f.000"), 0) << "both temporaries are locked";
}

// The writeback flushes files while they grow (the writer keeping up with it),
// one of them closed and removed under it, and lets go of its own handles whether it is finished or
// abandoned (then once the flush under way has ended).
TEST(Writeback, LetsGoOfEveryHandle) {
    for (const bool finishing : {true, false}) {
        SCOPED_TRACE(finishing ? "finished" : "abandoned");
        TempDir dir;
        const int before = openDescriptors();
        {
            Writeback writeback;
            File files[3];
            const std::string data(8 << 20, 'x');
            for (int i = 0; i < 3; ++i) {
                files[i] = newFileAt(dir / std::to_string(i));
                writeback.follow(files[i]);
                ASSERT_TRUE(files[i].writeAt(0, data.data(), data.size()));
                writeback.wrote(static_cast<std::int64_t>(data.size()));
                EXPECT_TRUE(writeback.keepUp());
            }
            ASSERT_TRUE(files[1].close());
            ASSERT_TRUE(removeFile(dir / "1"));
            if (finishing)
                EXPECT_TRUE(writeback.finish());
            else
                writeback.abandon();
        }
        for (int i = 0; i < 500 && openDescriptors() != before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(openDescriptors(), before);
    }
}

} // namespace
