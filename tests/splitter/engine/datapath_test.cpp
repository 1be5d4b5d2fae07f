// What a split and a join leave behind when something goes wrong: a failing
// or killed put-in-place, a flush, a directory replaced during the run,
// read-only files, a stop request. (split_test and join_test run them under
// a file-size limit; the platform's tests sweep the leftovers of killed runs.)
#include "engine_test_util.h"
#include "platform/faults.h"
#include "platform/fs.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include "tests/support/child.h"
#include <sys/stat.h>
#endif

namespace {

#ifndef _WIN32
using dorvik::testing::handToNobody;
using dorvik::testing::kCannotDrop;
using dorvik::testing::runAsNobody;
using dorvik::testing::runInChild;
#endif
using dorvik::testing::snapshot;
using platform::faults::Call;
namespace faults = platform::faults;

// Splits `source` into a set of three in `target`; the outcome.
Outcome splitInto(const std::string &source, const std::string &target, bool checksums = true) {
    EventLog log;
    SplitRequest request = splitRequest(source, target, 3);
    request.checksums = checksums;
    return engine::split(request, log).outcome;
}

// The names of the set of three, with or without its checksum file.
std::set<std::string> setOfThree(bool checksums = true) {
    std::set<std::string> names = {"f.000", "f.001", "f.002"};
    if (checksums)
        names.insert("f.000.sha256");
    return names;
}

// An older set f.000 to f.002 in dir/set, split from dir/f.bin, which then
// holds newer bytes of the same length.
void makeOlderSet(const TempDir &dir) {
    writeFile(dir / "f.bin", patternBytes(200001, 1));
    ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
    writeFile(dir / "f.bin", patternBytes(200001, 2));
}

// A split that copies each piece to `disks`.
SplitRequest splitToDisks(const std::string &source, const std::string &target,
                          const std::string &disks, int pieces = 3) {
    SplitRequest r = splitRequest(source, target, pieces);
    r.copyToFloppy = true;
    r.floppyDirectory = disks;
    return r;
}

// Calls `onProgress` at each progress report; asks to stop once `stop` is set.
struct Watcher : Monitor {
    std::function<void(const Progress &)> onProgress;
    bool stop = false;
    void progress(const Progress &p) override { onProgress(p); }
    bool stopRequested() override { return stop; }
};

// A failure at any step of putting the new set in place (with or without
// hard links to keep the older files by, with or without a new checksum
// file) leaves the older files as they were, the older checksum file too.
TEST(OlderFilesKept, AFailingRenameLeavesTheOlderSetAsItWas) {
    struct Case {
        Call call;        // the call that fails
        int nth;          // the how-manieth
        bool linksFail;   // no hard links: older files are moved aside
        std::string name; // the file named in the message
        bool checksums = true;
    } cases[] = {
        {Call::Rename, 1, false, "f.000.sha256"},
        {Call::Rename, 2, false, "f.002"},
        {Call::Rename, 4, false, "f.000"},
        {Call::Unlink, 1, false, "f.000"},
        {Call::Rename, 1, true, "f.000"},
        {Call::Rename, 5, true, "f.000.sha256"},
        {Call::Rename, 8, true, "f.000"},
        // The older checksum file goes aside and comes back.
        {Call::Unlink, 2, false, "f.000.sha256", false},
        {Call::Rename, 3, false, "f.000", false},
        {Call::Rename, 7, true, "f.000", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.nth) + (c.call == Call::Unlink ? " unlink" : " rename") +
                     (c.linksFail ? " without links" : "") +
                     (c.checksums ? "" : " without checksums"));
        TempDir dir;
        ASSERT_NO_FATAL_FAILURE(makeOlderSet(dir));
        writeFile(dir / "set/f.003", "an older fourth piece");
        const auto before = snapshot(dir / "set");
        const auto fail = faults::failNth(c.call, c.nth, EPERM);
        faults::ScopedHook hook([&](Call call, const std::string &path) {
            return c.linksFail && call == Call::Link ? EPERM : fail(call, path);
        });
        EventLog log;
        SplitRequest request = splitRequest(dir / "f.bin", dir / "set", 3);
        request.checksums = c.checksums;
        EXPECT_EQ(engine::split(request, log).outcome, Outcome::Failed);
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].text,
                  dir / ("set/" + c.name) + ": Operation not permitted\n" +
                      "The split was stopped; the pieces it had written were removed.");
        EXPECT_TRUE(snapshot(dir / "set") == before);
    }
}

#ifndef _WIN32
// Kills a split at each change it makes to the target directory in turn,
// the split with its checksum file and one without it over an older set that
// has one: whatever it leaves joins to the older file, to the new one, or
// not at all.
TEST(CrashMidRenames, EveryKillPointLeavesOldNewOrARefusedSet) {
    TempDir dir;
    for (bool checksums : {true, false}) {
        int finishedAt = 0;
        for (int killAt = 1; killAt < 40 && !finishedAt; ++killAt) {
            SCOPED_TRACE(std::to_string(killAt) + (checksums ? "" : " without checksums"));
            std::filesystem::remove_all(dir / "set");
            ASSERT_NO_FATAL_FAILURE(makeOlderSet(dir));
            const auto end = runInChild([&] {
                int calls = 0;
                faults::setHook([&](Call call, const std::string &) {
                    if (call != Call::Fsync && ++calls == killAt)
                        ::_exit(9); // as sudden as a kill: nothing is cleaned up
                    return 0;
                });
                (void)splitInto(dir / "f.bin", dir / "set", checksums);
                return 0;
            });
            if (end.code == 0)
                finishedAt = killAt;
            EventLog joinLog;
            const Outcome joined =
                engine::join(joinRequest(dir / "set/f.000", dir / "out"), joinLog).outcome;
            if (joined == Outcome::Done) {
                const std::string rebuilt = readFile(dir / "set/f.bin");
                EXPECT_TRUE(rebuilt == patternBytes(200001, 1) ||
                            rebuilt == patternBytes(200001, 2))
                    << "a mixed set was joined";
                ASSERT_TRUE(platform::removeFile(dir / "set/f.bin"));
            } else { // refused, or failed on the missing first piece: nothing joined
                EXPECT_NE(joined, Outcome::Cancelled);
                EXPECT_FALSE(platform::exists(dir / "set/f.bin"));
            }
            // The next split sweeps what the killed one left.
            ASSERT_EQ(splitInto(dir / "f.bin", dir / "set", checksums), Outcome::Done);
            EXPECT_EQ(listDirectory(dir / "set"), setOfThree(checksums));
        }
        EXPECT_GT(finishedAt, 6) << "the kill points covered the renames";
    }
}

#endif

// Records the seam's calls as "fsync <path>" or "unlink <path>" (of a
// visible file) into `events`, and fails the `failing`-th flush (none: 0).
faults::Hook recorder(std::vector<std::string> &events, int failing = 0) {
    return [&events, fail = faults::failNth(Call::Fsync, failing, EIO)](Call call,
                                                                        const std::string &path) {
        if (call == Call::Fsync)
            events.push_back("fsync " + path);
        if (call == Call::Unlink && platform::fileNameOf(path)[0] != '.')
            events.push_back("unlink " + path);
        return fail(call, path);
    };
}

// Each disk's piece and the disk's directory are flushed before the next
// prompt and the success message (the pieces in the target are not); a
// failed flush of either is a failed copy of that disk, and Retry mends it.
TEST(Flushes, EachDiskIsFlushedBeforeTheNextPromptAndAFailedFlushIsAFailedCopy) {
    for (int failing : {0, 1, 2}) { // none, the file's flush, the directory's
        SCOPED_TRACE(failing);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
        SplitRequest request = splitToDisks(dir / "f.bin", dir / "out", dir / "floppy");
        EventLog log;
        log.answers = {Answer::Ok, Answer::Retry};
        request.busy = log.busy();
        faults::ScopedHook hook(recorder(log.events, failing));
        EXPECT_EQ(engine::split(request, log).outcome, Outcome::Done);
        const std::string f = dir / "floppy";
        EXPECT_EQ(listDirectory(f), setOfThree());
        if (!failing) {
            const std::string sep(1, platform::kSeparator);
            EXPECT_EQ(log.events,
                      (std::vector<std::string>{
                          "busy on", "Insert disk #1", "fsync " + f + sep + "f.000", "fsync " + f,
                          "fsync " + f + sep + "f.000.sha256", "fsync " + f, "Insert disk #2",
                          "fsync " + f + sep + "f.001", "fsync " + f, "Insert disk #3",
                          "fsync " + f + sep + "f.002", "fsync " + f, "busy off",
                          dir / "f.bin" + "\n is successfully splitted!"}));
            continue;
        }
        ASSERT_EQ(log.messages.size(), 5u);
        EXPECT_EQ(log.messages[1],
                  message((failing == 1 ? f + platform::kSeparator + "f.000" : f) +
                              ": Input/output error\nThe piece f.000 was not copied to the disk. "
                              "Retry after changing the disk, or Cancel to skip this piece.",
                          "Dorvik", Icon::Critical, Buttons::RetryCancel));
        EXPECT_EQ(log.messages[2], message("Insert disk #2", "Dorvik"));
    }
}

// A join that deletes its pieces flushes the rebuilt file and its directory
// before the first piece goes; a failed flush (file or directory) keeps
// every piece.
TEST(Flushes, AJoinFlushesTheRebuiltFileBeforeItDeletesAPieceAndOnlyThen) {
    for (int failing : {0, 1, 2}) {
        SCOPED_TRACE(failing);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        std::vector<std::string> events;
        faults::ScopedHook hook(recorder(events, failing));
        JoinRequest request = joinRequest(dir / "set/f.000", dir / "set");
        request.deletePieces = true;
        EventLog log;
        const Outcome o = engine::join(request, log).outcome;
        const std::string s = dir / "set";
        const std::string sep(1, platform::kSeparator);
        const std::vector<std::string> all = {
            "fsync " + s + sep + "f.bin",  "fsync " + s,
            "unlink " + s + sep + "f.000", "unlink " + s + sep + "f.001",
            "unlink " + s + sep + "f.002", "unlink " + s + sep + "f.000.sha256"};
        // A failed flush is the last thing that happens to the set.
        EXPECT_EQ(events, failing ? std::vector(all.begin(), all.begin() + failing) : all);
        EXPECT_EQ(o, failing ? Outcome::Failed : Outcome::Done);
        if (failing) {
            ASSERT_EQ(log.messages.size(), 1u);
            EXPECT_NE(log.messages[0].text.find(": Input/output error\n"), std::string::npos);
            for (const char *piece : {"/f.000", "/f.001", "/f.002"})
                EXPECT_TRUE(platform::exists(s + piece));
        }
    }
}

#ifndef _WIN32
TEST(ReplacedDirectory, TheRunStaysInTheDirectoryItOpened) {
    for (bool failing : {false, true}) {
        SCOPED_TRACE(failing);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(200001));
        ASSERT_TRUE(platform::makeDirectory(dir / "out"));
        writeFile(dir / "out/f.001", "older");
        Watcher replacer; // when piece 2 begins: moves the directory away, a new one in its place
        replacer.onProgress = [&, done = false](const Progress &p) mutable {
            if (!done && p.activity == Activity::Splitting && p.piece == 2) {
                done = true;
                ::rename((dir / "out").c_str(), (dir / "moved").c_str());
                ::mkdir((dir / "out").c_str(), 0755);
            }
        };
        SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
        request.monitor = &replacer;
        faults::ScopedHook hook(failing ? faults::failNth(Call::Rename, 2, EIO) : faults::Hook());
        EventLog log;
        EXPECT_EQ(engine::split(request, log).outcome, failing ? Outcome::Failed : Outcome::Done);
        EXPECT_TRUE(listDirectory(dir / "out").empty()) << "nothing went to the newcomer";
        if (failing)
            EXPECT_EQ(snapshot(dir / "moved"),
                      (std::map<std::string, std::string>{{"f.001", "older"}}));
        else
            EXPECT_EQ(listDirectory(dir / "moved"), setOfThree());
    }
}

TEST(ReadOnlyFiles, AReadOnlySourceSplitsToDisksAndJoinsElsewhere) {
    TempDir dir;
    const std::string data = patternBytes(200001);
    ASSERT_EQ(::mkdir((dir / "medium").c_str(), 0755), 0);
    writeFile(dir / "medium/f.bin", data);
    ASSERT_EQ(::chmod((dir / "medium/f.bin").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((dir / "medium").c_str(), 0555), 0);
    for (const char *d : {"work", "floppy", "out"}) {
        ASSERT_EQ(::mkdir((dir / d).c_str(), 0755), 0);
        handToNobody(dir.path(), dir / d);
    }
    const int code = runAsNobody([&] {
        ::umask(0222); // every file written is read-only, pieces and rebuilt file too
        EventLog log;
        if (engine::split(splitToDisks(dir / "medium/f.bin", dir / "work", dir / "floppy"), log)
                    .outcome != Outcome::Done ||
            log.messages.size() != 4)
            return 1;
        return engine::join(joinRequest(dir / "floppy/f.000", dir / "out"), log).outcome ==
                       Outcome::Done
                   ? 0
                   : 2;
    });
    if (code == kCannotDrop)
        GTEST_SKIP() << "cannot drop to uid 65534 here";
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(readFile(dir / "out/f.bin") == data);
    std::set<std::string> disk = setOfThree();
    disk.insert("f.bin");
    EXPECT_EQ(listDirectory(dir / "floppy"), disk);
}

// A directory an ordinary user cannot write: the message names the file the
// user asked for, once, and never a temporary.
TEST(ReadOnlyFiles, ADirectoryThatCannotBeWrittenIsNamedOnce) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(200001));
    ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
    ASSERT_EQ(::mkdir((dir / "ro").c_str(), 0555), 0);
    ASSERT_EQ(::chmod((dir / "set").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const struct {
        std::function<Outcome(EventLog &)> run;
        std::string message;
    } cases[] = {
        {[&](EventLog &log) {
             return engine::split(splitRequest(dir / "f.bin", dir / "ro", 3), log).outcome;
         },
         dir / "ro/f.000: Permission denied\nThe split was stopped; the pieces it had written "
               "were removed."},
        {[&](EventLog &log) {
             return engine::join(joinRequest(dir / "set/f.000", ""), log).outcome;
         },
         dir / "set/f.bin: Permission denied\nNothing was joined; the pieces are untouched."},
    };
    for (const auto &c : cases) {
        const int code = runAsNobody([&] {
            EventLog log;
            return c.run(log) == Outcome::Failed && log.messages.size() == 1 &&
                           log.messages[0].text == c.message
                       ? 0
                       : 1;
        });
        if (code == kCannotDrop)
            GTEST_SKIP() << "cannot drop to uid 65534 here";
        EXPECT_EQ(code, 0) << c.message;
    }
}
#endif

// An older set and an older file of the rebuilt name are there; a split of
// newer bytes over them, or a join that would delete its pieces, stops.
TEST(Stop, ASplitOrJoinStoppedAtAnyPieceLeavesEveryFileAsBefore) {
    for (bool join : {false, true}) {
        for (int piece : {1, 2, 3}) { // the first, a middle and the last
            SCOPED_TRACE(std::string(join ? "join" : "split") + " at piece " +
                         std::to_string(piece));
            TempDir dir;
            ASSERT_NO_FATAL_FAILURE(makeOlderSet(dir));
            writeFile(dir / "set/f.bin", "an older file of the rebuilt name");
            const auto before = snapshot(dir / "set");
            Watcher monitor; // asks to stop once the piece is reached
            monitor.onProgress = [&](const Progress &p) {
                monitor.stop |= p.activity == (join ? Activity::Joining : Activity::Splitting) &&
                                p.piece >= piece;
            };
            EventLog log;
            JoinRequest j = joinRequest(dir / "set/f.000", dir / "set");
            j.deletePieces = true;
            j.monitor = &monitor;
            SplitRequest s = splitRequest(dir / "f.bin", dir / "set", 3);
            s.monitor = &monitor;
            EXPECT_EQ(join ? engine::join(j, log).outcome : engine::split(s, log).outcome,
                      Outcome::Cancelled);
            EXPECT_TRUE(log.messages.empty());
            EXPECT_TRUE(snapshot(dir / "set") == before);
        }
    }
}

// A stop while a piece goes to its disk removes only that half copy: the
// disks before it and the complete set in the target directory stay.
TEST(Stop, TheFloppyLoopRemovesOnlyItsHalfCopy) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(200001));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    SplitRequest split = splitToDisks(dir / "f.bin", dir / "set", dir / "floppy");
    Watcher monitor;
    monitor.onProgress = [&](const Progress &p) {
        monitor.stop |= p.activity == Activity::CopyingToDisk && p.piece == 2;
    };
    split.monitor = &monitor;
    EventLog log;
    EXPECT_EQ(engine::split(split, log).outcome, Outcome::Cancelled);
    EXPECT_EQ(log.messages.size(), 2u); // "Insert disk #1" and "#2", nothing after
    EXPECT_EQ(listDirectory(dir / "floppy"), (std::set<std::string>{"f.000", "f.000.sha256"}));
    EXPECT_EQ(listDirectory(dir / "set"), setOfThree());
}

} // namespace
