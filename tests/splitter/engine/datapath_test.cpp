// What a split and a join leave behind when something goes wrong: a
// file-size limit, a failing or killed put-in-place, a flush, the leftovers
// of killed runs, a directory replaced during the run, read-only files.
#include "engine_test_util.h"
#include "platform/faults.h"
#include "platform/fs.h"
#include "splitter/engine/format.h"
#include "tests/support/child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

using dorvik::testing::handToNobody;
using dorvik::testing::kCannotDrop;
using dorvik::testing::runAsNobody;
using dorvik::testing::runInChild;
using dorvik::testing::snapshot;
using platform::faults::Call;
namespace faults = platform::faults;

const std::string kRemoved = "The split was stopped; the pieces it had written were removed.";

// Splits `source` into a set of three in `target`; the outcome.
Outcome splitInto(const std::string &source, const std::string &target) {
    EventLog log;
    return engine::split(splitRequest(source, target, 3), log).outcome;
}

// ---- a file-size limit --------------------------------------------------------------------

TEST(FileSizeLimit, TheProgramsSignalSetupTurnsItIntoAReportedFailure) {
    // runWithFileSizeLimit sets the signals up as both programs do (they are
    // checked to, and dorvik-cli is run under a limit, in their own tests).
    struct Case {
        const char *what;
        bool join;
    } cases[] = {{"split", false}, {"join", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        writeFile(d / "f.bin", patternBytes(1000000));
        if (c.join) {
            ASSERT_EQ(splitInto(d / "f.bin", d / "set"), Outcome::Done);
        }
        const auto before = snapshot(d / "set");
        // ulimit -f 500 in a shell: 500 blocks of 512 bytes.
        const int code = dorvik::testing::runWithFileSizeLimit(500 * 512, [&] {
            EventLog log;
            const Outcome o =
                c.join ? engine::join(joinRequest(d / "set/f.000", d / "set"), log).outcome
                       : engine::split(splitRequest(d / "f.bin", d / "set", 3), log).outcome;
            const bool tooLarge =
                log.messages.size() == 1 &&
                log.messages[0].text.find(": File too large\n") != std::string::npos;
            return o == Outcome::Failed && tooLarge ? 0 : 1;
        });
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(snapshot(d / "set") == before) << "nothing is left behind";
    }
}

// ---- a failed split keeps every older file --------------------------------------------------

TEST(OlderFilesKept, AFailingRenameLeavesTheOlderSetAsItWas) {
    struct Case {
        int nth;          // the rename that fails
        bool linksFail;   // no hard links: older files are moved aside
        std::string name; // the piece named in the message
    } cases[] = {
        {1, false, "f.002"}, {2, false, "f.001"}, {3, false, "f.000"},
        {1, true, "f.000"},  {4, true, "f.002"},  {6, true, "f.000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.nth) + (c.linksFail ? " without links" : ""));
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(200001, 2));
        ASSERT_TRUE(platform::makeDirectory(dir / "out"));
        writeFile(dir / "old.bin", patternBytes(200001, 1));
        ASSERT_EQ(splitInto(dir / "old.bin", dir / "out"), Outcome::Done);
        for (const char *n : {"000", "001", "002"})
            ASSERT_EQ(::rename((dir / "out/old."s + n).c_str(), (dir / "out/f."s + n).c_str()), 0);
        writeFile(dir / "out/f.003", "an older fourth piece");
        const auto before = snapshot(dir / "out");

        const auto fail = faults::failNth(Call::Rename, c.nth, EPERM);
        faults::ScopedHook hook([&](Call call, const std::string &path) {
            if (c.linksFail && call == Call::Link)
                return EPERM;
            return fail(call, path);
        });
        EventLog log;
        EXPECT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "out", 3), log).outcome,
                  Outcome::Failed);
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].text,
                  dir / ("out/" + c.name) + ": Operation not permitted\n" + kRemoved);
        EXPECT_TRUE(snapshot(dir / "out") == before);
    }
}

// ---- a crash in the middle of the renames ---------------------------------------------------

// Kills a split at each change it makes to the target directory in turn:
// whatever it leaves joins to the older file, to the new one, or not at all.
TEST(CrashMidRenames, EveryKillPointLeavesOldNewOrARefusedSet) {
    TempDir dir;
    const std::string older = patternBytes(200001, 1), newer = patternBytes(200001, 2);
    writeFile(dir / "f.bin", older);
    int finishedAt = 0;
    for (int killAt = 1; killAt < 40 && !finishedAt; ++killAt) {
        SCOPED_TRACE(killAt);
        ::system(("rm -rf '" + dir / "set" + "'").c_str());
        writeFile(dir / "f.bin", older);
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        writeFile(dir / "f.bin", newer);
        const auto end = runInChild([&] {
            int calls = 0;
            faults::setHook([&](Call call, const std::string &) {
                if (call != Call::Fsync && ++calls == killAt)
                    ::_exit(9); // as sudden as a kill: nothing is cleaned up
                return 0;
            });
            (void)splitInto(dir / "f.bin", dir / "set");
            return 0;
        });
        if (end.code == 0)
            finishedAt = killAt;
        EventLog joinLog;
        JoinRequest request = joinRequest(dir / "set/f.000", dir / "out");
        const JoinResult r = engine::join(request, joinLog);
        if (r.outcome == Outcome::Done) {
            const std::string rebuilt = readFile(dir / "set/f.bin");
            EXPECT_TRUE(rebuilt == older || rebuilt == newer) << "a mixed set was joined";
        } else { // refused, or failed on the missing first piece: nothing joined
            EXPECT_NE(r.outcome, Outcome::Cancelled);
            EXPECT_FALSE(platform::exists(dir / "set/f.bin"));
        }
        // The next split sweeps what the killed one left.
        ASSERT_TRUE(platform::removeFile(dir / "set/f.bin") || r.outcome != Outcome::Done);
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        EXPECT_EQ(listDirectory(dir / "set"), (std::set<std::string>{"f.000", "f.001", "f.002"}));
    }
    EXPECT_GT(finishedAt, 6) << "the kill points covered the renames";
}

// ---- flushes ---------------------------------------------------------------------------------

// Records the seam's calls of the given kinds as "fsync <path>" or
// "unlink <path>" into `events`.
faults::Hook recorder(std::vector<std::string> &events) {
    return [&events](Call call, const std::string &path) {
        if (call == Call::Fsync)
            events.push_back("fsync " + path);
        if (call == Call::Unlink && platform::fileNameOf(path)[0] != '.')
            events.push_back("unlink " + path);
        return 0;
    };
}

TEST(Flushes, EachDiskIsFlushedBeforeTheNextPromptAndThePiecesAreNot) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy";
    EventLog log;
    request.busy = log.busy();
    faults::ScopedHook hook(recorder(log.events));
    EXPECT_EQ(engine::split(request, log).outcome, Outcome::Done);
    const std::string f = dir / "floppy";
    EXPECT_EQ(log.events, (std::vector<std::string>{
                              "busy on", "Insert disk #1", "fsync " + f + "/f.000", "fsync " + f,
                              "Insert disk #2", "fsync " + f + "/f.001", "fsync " + f,
                              "Insert disk #3", "fsync " + f + "/f.002", "fsync " + f, "busy off",
                              dir / "f.bin" + "\n is successfully splitted!"}));
}

TEST(Flushes, AFailedDiskFlushIsAFailedCopy) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 2);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy";
    for (int nth : {1, 2}) { // the file's flush, the directory's
        SCOPED_TRACE(nth);
        EventLog log;
        log.answers = {Answer::Ok, Answer::Retry};
        faults::ScopedHook hook(faults::failNth(Call::Fsync, nth, EIO));
        EXPECT_EQ(engine::split(request, log).outcome, Outcome::Done);
        ASSERT_EQ(log.messages.size(), 4u);
        EXPECT_EQ(log.messages[1],
                  message((nth == 1 ? dir / "floppy/f.000" : dir / "floppy") +
                              ": Input/output error\nThe piece f.000 was not copied to the disk. "
                              "Retry after changing the disk, or Cancel to skip this piece.",
                          "Dorvik", Icon::Critical, Buttons::RetryCancel));
        EXPECT_EQ(log.messages[2], message("Insert disk #2", "Dorvik"));
        EXPECT_EQ(listDirectory(dir / "floppy"), (std::set<std::string>{"f.000", "f.001"}));
    }
}

// A join with --delete flushes the rebuilt file and its directory before the
// first piece goes; a failed flush (file or directory) keeps every piece.
TEST(Flushes, AJoinFlushesTheRebuiltFileBeforeItDeletesAPieceAndOnlyThen) {
    for (const auto &[deletePieces, failingFlush] :
         {std::pair{false, 0}, {true, 0}, {true, 1}, {true, 2}}) {
        SCOPED_TRACE(std::to_string(deletePieces) + " " + std::to_string(failingFlush));
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        std::vector<std::string> events;
        const faults::Hook fail = faults::failNth(Call::Fsync, failingFlush, EIO);
        const faults::Hook record = recorder(events);
        faults::ScopedHook hook([&](Call call, const std::string &path) {
            record(call, path);
            return failingFlush ? fail(call, path) : 0;
        });
        JoinRequest request = joinRequest(dir / "set/f.000", dir / "set");
        request.deletePieces = deletePieces;
        EventLog log;
        const Outcome o = engine::join(request, log).outcome;
        const std::string s = dir / "set";
        if (failingFlush) {
            EXPECT_EQ(o, Outcome::Failed);
            ASSERT_EQ(log.messages.size(), 1u);
            EXPECT_NE(log.messages[0].text.find(": Input/output error\n"), std::string::npos);
            const auto names = listDirectory(s);
            EXPECT_TRUE(names.count("f.000") && names.count("f.001") && names.count("f.002"));
        } else if (!deletePieces) {
            EXPECT_EQ(o, Outcome::Done);
            EXPECT_TRUE(events.empty()) << "nothing to flush while the pieces remain";
        } else {
            EXPECT_EQ(o, Outcome::Done);
            EXPECT_EQ(events, (std::vector<std::string>{
                                  "fsync " + s + "/f.bin", "fsync " + s, "unlink " + s + "/f.000",
                                  "unlink " + s + "/f.001", "unlink " + s + "/f.002"}));
        }
    }
}

// ---- leftovers of killed runs --------------------------------------------------------------

TEST(Leftovers, TheNextRunRemovesDeadTemporariesAndSparesLiveOnes) {
    struct Case {
        const char *what;
        bool join;
        std::string dead, live;
    } cases[] = {
        {"split", false, ".f.000.part-dead0000", ".f.001.part-live0000"},
        {"join", true, ".f.bin.part-dead0000", ".f.bin.part-live0000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(100000));
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        writeFile(dir / ("set/" + c.dead), "killed half-way");
        writeFile(dir / ("set/" + c.live), "still being written");
        dorvik::testing::LockHolder running(dir / ("set/" + c.live));
        ASSERT_TRUE(running.held());
        EventLog log;
        const Outcome o = c.join ? engine::join(joinRequest(dir / "set/f.000", ""), log).outcome
                                 : splitInto(dir / "f.bin", dir / "set");
        EXPECT_EQ(o, Outcome::Done);
        const auto names = listDirectory(dir / "set");
        EXPECT_FALSE(names.count(c.dead));
        EXPECT_TRUE(names.count(c.live)) << "a running run's temporary is never touched";
    }
}

// ---- a directory replaced during the run ----------------------------------------------------

// Moves the target directory away when piece 2 begins and puts an empty
// directory in its place.
struct Replacer : Monitor {
    std::string target, moved;
    bool done = false;
    void progress(const Progress &p) override {
        if (!done && p.activity == Activity::Splitting && p.piece == 2) {
            done = true;
            ::rename(target.c_str(), moved.c_str());
            ::mkdir(target.c_str(), 0755);
        }
    }
    bool stopRequested() override { return false; }
};

TEST(ReplacedDirectory, TheRunStaysInTheDirectoryItOpened) {
    for (bool failing : {false, true}) {
        SCOPED_TRACE(failing);
        TempDir dir;
        const std::string data = patternBytes(200001);
        writeFile(dir / "f.bin", data);
        ASSERT_TRUE(platform::makeDirectory(dir / "out"));
        writeFile(dir / "out/f.001", "older");
        Replacer replacer;
        replacer.target = dir / "out";
        replacer.moved = dir / "moved";
        SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
        request.monitor = &replacer;
        faults::ScopedHook hook(failing ? faults::failNth(Call::Rename, 2, EIO) : faults::Hook());
        EventLog log;
        const Outcome o = engine::split(request, log).outcome;
        EXPECT_TRUE(listDirectory(dir / "out").empty()) << "nothing went to the newcomer";
        if (failing) {
            EXPECT_EQ(o, Outcome::Failed);
            EXPECT_EQ(snapshot(dir / "moved"),
                      (std::map<std::string, std::string>{{"f.001", "older"}}));
        } else {
            EXPECT_EQ(o, Outcome::Done);
            EXPECT_EQ(listDirectory(dir / "moved"),
                      (std::set<std::string>{"f.000", "f.001", "f.002"}));
        }
    }
}

// ---- read-only files, as an ordinary user -----------------------------------------------------

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
        SplitRequest split = splitRequest(dir / "medium/f.bin", dir / "work", 3);
        split.copyToFloppy = true;
        split.floppyDirectory = dir / "floppy";
        EventLog log;
        if (engine::split(split, log).outcome != Outcome::Done || log.messages.size() != 4)
            return 1;
        if (engine::join(joinRequest(dir / "floppy/f.000", dir / "out"), log).outcome !=
            Outcome::Done)
            return 2;
        return 0;
    });
    if (code == kCannotDrop)
        GTEST_SKIP() << "cannot drop to uid 65534 here";
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(readFile(dir / "out/f.bin") == data);
    EXPECT_EQ(listDirectory(dir / "floppy"),
              (std::set<std::string>{"f.000", "f.001", "f.002", "f.bin"}));
}

// ---- a stop request --------------------------------------------------------------------------

// Asks to stop once `activity` has reached piece `piece`.
struct StopAt : Monitor {
    Activity activity;
    int piece;
    bool reached = false;
    StopAt(Activity a, int p) : activity(a), piece(p) {}
    void progress(const Progress &p) override {
        if (p.activity == activity && p.piece >= piece)
            reached = true;
    }
    bool stopRequested() override { return reached; }
};

TEST(Stop, ASplitOrJoinStoppedAtAnyPieceLeavesEveryFileAsBefore) {
    struct Case {
        const char *what;
        bool join;
        int piece;
    } cases[] = {
        {"split, first piece", false, 1}, {"split, middle piece", false, 2},
        {"split, last piece", false, 3},  {"join, first piece", true, 1},
        {"join, middle piece", true, 2},  {"join, last piece", true, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "f.bin", patternBytes(200001, 1));
        ASSERT_EQ(splitInto(dir / "f.bin", dir / "set"), Outcome::Done);
        writeFile(dir / "set/f.bin", "an older file of the rebuilt name");
        writeFile(dir / "f.bin", patternBytes(200001, 2));
        const auto before = snapshot(dir / "set");
        StopAt monitor(c.join ? Activity::Joining : Activity::Splitting, c.piece);
        EventLog log;
        Outcome o;
        if (c.join) {
            JoinRequest r = joinRequest(dir / "set/f.000", dir / "set");
            r.deletePieces = true;
            r.monitor = &monitor;
            o = engine::join(r, log).outcome;
        } else {
            SplitRequest r = splitRequest(dir / "f.bin", dir / "set", 3);
            r.monitor = &monitor;
            o = engine::split(r, log).outcome;
        }
        EXPECT_EQ(o, Outcome::Cancelled);
        EXPECT_TRUE(log.messages.empty());
        EXPECT_TRUE(snapshot(dir / "set") == before);
    }
}

// (A join stopped while copying into the target is run through dorvik-cli.)
TEST(Stop, TheFloppyLoopRemovesOnlyItsHalfCopy) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(200001));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    SplitRequest split = splitRequest(dir / "f.bin", dir / "set", 3);
    split.copyToFloppy = true;
    split.floppyDirectory = dir / "floppy";
    StopAt disk2(Activity::CopyingToDisk, 2);
    split.monitor = &disk2;
    EventLog log;
    EXPECT_EQ(engine::split(split, log).outcome, Outcome::Cancelled);
    EXPECT_EQ(log.messages, (std::vector{message("Insert disk #1", "Dorvik"),
                                         message("Insert disk #2", "Dorvik")}));
    EXPECT_EQ(listDirectory(dir / "floppy"), std::set<std::string>{"f.000"});
    EXPECT_EQ(listDirectory(dir / "set"), (std::set<std::string>{"f.000", "f.001", "f.002"}));
}

} // namespace
