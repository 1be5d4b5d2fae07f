#include "engine_test_util.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "splitter/engine/checksums.h"
#include "splitter/engine/format.h"
#include "tests/support/new_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// The names of a set as a split writes it: its pieces and its checksum file.
std::set<std::string> setNames(const std::string &base, int count) {
    std::set<std::string> names = {checksumFileName(pieceName(base, 0))};
    for (int k = 0; k < count; ++k)
        names.insert(pieceName(base, k));
    return names;
}

// The count for a largest piece file: at the limit the count that meets it,
// a byte below the next count, and beyond 99 pieces the smallest limit.
TEST(PiecesForSize, TheSmallestCountWhoseLargestFileFits) {
    const struct {
        std::int64_t L, limit;
        std::optional<int> pieces;
        std::int64_t smallestLimit = 0;
    } table[] = {
        {60000, 30005, 2},         // the first piece: 30000 and its trailer
        {60000, 30004, {}, 30005}, // two is the most pieces of 60000 bytes
        {59999, 10, 2},            // too small for any: the split refuses it
        {100000000, 25000012, 4},  // the last piece, with its 16 tail bytes
        {100000000, 25000011, 5},
        {300001, 100004, 3}, // P = 99999: the last piece, then the first
        {300001, 100003, 4},
        {100000000, 1010494, 99}, // the last with its tail at 99 pieces
        {100000000, 1010493, {}, 1010494},
        {10LL << 30, 4LL << 30, 3}, // pieces for a FAT stick
    };
    for (const auto &row : table) {
        const CountForSize c = piecesForSize(row.L, row.limit);
        EXPECT_EQ(c.pieces, row.pieces) << row.L << " / " << row.limit;
        if (!row.pieces) {
            EXPECT_EQ(c.smallestLimit, row.smallestLimit) << row.L << " / " << row.limit;
        }
    }
}

// ---- round trips -----------------------------------------------------------

struct Case {
    std::string name;
    std::int64_t L;
    int N;
    std::string base;
};

class RoundTrip : public ::testing::TestWithParam<CopyMethod> {};

TEST_P(RoundTrip, PiecesHoldTheLayoutAndJoinRebuildsTheSource) {
    const Case cases[] = {
        {"report.doc", 200001, 3, "report."}, // layout rows
        {"setup.exe", 5000000, 12, "setup."},
        {"a.bin", 60000, 2, "a."}, // L = 30000 N, no tail bytes
        {"big.dat", 1000000, 3, "big."},
        {"abc", 300000, 10, ""},         // three characters, six-byte trailer
        {"data.gz", 330007, 11, "data"}, // the dot goes into the suffix
        {"caf\u00e9", 30000 * 99, 99, "c"},
        {"two.img", 2800000, 2, "two."}, // average exactly 1400000: no warning
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(platform::makeDirectory(dir / "in"));
        const std::string source = dir / ("in/" + c.name);
        const std::string data = patternBytes(static_cast<std::size_t>(c.L), c.N);
        writeFile(source, data);

        EventLog log;
        SplitRequest request = splitRequest(source, dir / "out", c.N);
        request.copyMethod = GetParam();
        request.busy = log.busy();
        const SplitResult split = engine::split(request, log);
        ASSERT_EQ(split.outcome, Outcome::Done);
        const std::string suffix = platform::lastCharacters(c.name, 3);
        EXPECT_EQ(split.suffix, suffix);
        EXPECT_EQ(split.targetDirectory, dir / "out");
        EXPECT_EQ(log.events, (std::vector<std::string>{"busy on", "busy off",
                                                        source + "\n is successfully splitted!"}));
        EXPECT_EQ(log.messages.back(), message(source + "\n is successfully splitted!", "Dorvik "));

        // Piece k holds source bytes from k P; the first adds its trailer,
        // the last the tail bytes.
        EXPECT_EQ(listDirectory(dir / "out"), setNames(c.base, c.N));
        const Layout l = *layout(c.L, c.N);
        for (int k = 0; k < c.N; ++k) {
            std::string expected = data.substr(k * l.P, k == c.N - 1 ? l.P + l.R : l.P);
            if (k == 0)
                expected += trailer(c.N, *platform::toEightBit(suffix));
            ASSERT_EQ(readFile(dir / ("out/" + pieceName(c.base, k))), expected) << k;
        }

        EventLog joinLog;
        JoinRequest join = joinRequest(dir / ("out/" + pieceName(c.base, 0)), dir / "out");
        join.copyMethod = GetParam();
        join.busy = joinLog.busy();
        const JoinResult joined = engine::join(join, joinLog);
        ASSERT_EQ(joined.outcome, Outcome::Done);
        EXPECT_EQ(joined.count, std::to_string(c.N));
        EXPECT_EQ(joined.suffix, suffix);
        EXPECT_TRUE(joined.clearFields);
        EXPECT_TRUE(joined.disableJoin);
        const std::string rebuilt = dir / ("out/" + c.name);
        EXPECT_EQ(joinLog.events,
                  (std::vector<std::string>{"busy on", "busy off",
                                            rebuilt + "\n is successfully joined!"}));
        EXPECT_EQ(joinLog.messages.back(),
                  message(rebuilt + "\n is successfully joined!", "Dorvik "));
        EXPECT_TRUE(readFile(rebuilt) == data);
    }
}

INSTANTIATE_TEST_SUITE_P(CopyMethods, RoundTrip,
                         ::testing::Values(CopyMethod::Auto, CopyMethod::Buffered),
                         [](const auto &info) {
                             return info.param == CopyMethod::Auto ? "Auto" : "Buffered";
                         });

#ifndef _WIN32
TEST(SplitLarge, SparseSourceBeyondFourGiB) {
    TempDir dir;
    const std::string source = dir / "huge.img";
    const std::int64_t L = (4LL << 30) + 123457;
    const Layout l = *layout(L, 2);
    {
        platform::File f = dorvik::testing::newFileAt(source);
        ASSERT_EQ(::ftruncate(f.descriptor(), L), 0);
        // Data at the start, across the piece boundary, across 4 GiB, at the end.
        for (std::int64_t at :
             std::vector<std::int64_t>{0, l.P - 4000, (4LL << 30) - 3000, L - 4000}) {
            const std::string mark = patternBytes(8000, static_cast<unsigned>(at % 1000));
            ASSERT_TRUE(f.writeAt(at, mark.data(), std::min<std::int64_t>(8000, L - at)));
        }
        ASSERT_TRUE(f.close());
    }
    EventLog log;
    SplitRequest request = splitRequest(source, dir / "out", 2);
    ASSERT_EQ(engine::split(request, log).outcome, Outcome::Done)
        << (log.messages.empty() ? "" : log.messages.back().text);
    ASSERT_EQ(log.messages.size(), 2u) << "the floppy warning, then success";

    EXPECT_EQ(platform::fileLength(dir / "out/huge.000"), l.P + 5);
    EXPECT_EQ(platform::fileLength(dir / "out/huge.001"), l.P + l.R);

    JoinRequest join = joinRequest(dir / "out/huge.000", dir / "out");
    join.deletePieces = true;
    ASSERT_EQ(engine::join(join, log).outcome, Outcome::Done);
    EXPECT_EQ(listDirectory(dir / "out"), std::set<std::string>{"huge.img"});

    platform::File a, b;
    ASSERT_TRUE(a.open(source));
    ASSERT_TRUE(b.open(dir / "out/huge.img"));
    EXPECT_EQ(b.length(), L);
    for (std::int64_t at :
         std::vector<std::int64_t>{0, l.P - 5000, 2LL << 30, (4LL << 30) - 4000, L - 9000}) {
        std::string x(10000, 0), y(10000, 1);
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(10000, L - at));
        ASSERT_TRUE(a.readAt(at, x.data(), n));
        ASSERT_TRUE(b.readAt(at, y.data(), n));
        EXPECT_TRUE(x.compare(0, n, y, 0, n) == 0) << "at " << at;
    }
}
#endif

// ---- refusals and questions before anything is written ---------------------

TEST(SplitChecks, PiecesUnder30000BytesAreRefused) {
    TempDir dir;
    writeFile(dir / "small.bin", std::string(30000 * 4 - 1, 's'));
    EventLog log;
    SplitRequest request = splitRequest(dir / "small.bin", dir / "out", 4);
    request.busy = log.busy();
    const SplitResult r = engine::split(request, log);
    EXPECT_EQ(r.outcome, Outcome::Refused);
    EXPECT_EQ(r.suffix, "bin");
    EXPECT_FALSE(r.targetDirectory);
    const std::string text = "The splitted file can\u00b4t be less then 30 Kb.";
    EXPECT_EQ(log.messages, std::vector{message(text, "dorvik")});
    EXPECT_EQ(log.events, (std::vector<std::string>{"busy on", text, "busy off"}));
    EXPECT_FALSE(platform::exists(dir / "out"));
}

TEST(SplitChecks, FloppyWarningAboveAnAverageOf1400000Bytes) {
    TempDir dir;
    writeFile(dir / "big.bin", patternBytes(1400000 * 2 + 1));
    const auto warning = message("The files will be larger than 1,4 Mb,\nand will not fit on "
                                 "floppy disks.",
                                 "Dorvik", Icon::Information, Buttons::OkCancel);
    EventLog log;
    log.answers = {Answer::Cancel};
    const SplitResult cancelled = engine::split(splitRequest(dir / "big.bin", dir / "out", 2), log);
    EXPECT_EQ(cancelled.outcome, Outcome::Cancelled);
    EXPECT_EQ(log.messages, std::vector{warning});
    EXPECT_FALSE(platform::exists(dir / "out"));

    EventLog ok;
    EXPECT_EQ(engine::split(splitRequest(dir / "big.bin", dir / "out", 2), ok).outcome,
              Outcome::Done);
    ASSERT_EQ(ok.messages.size(), 2u);
    EXPECT_EQ(ok.messages[0], warning);
    EXPECT_EQ(listDirectory(dir / "out"), setNames("big.", 2));
}

TEST(SplitChecks, SuffixWithoutAnEightBitFormIsRefused) {
    TempDir dir;
    const std::string source = dir / "report.x\u0416"; // Cyrillic Zhe
    writeFile(source, patternBytes(100000));
    EventLog log;
    const SplitResult r = engine::split(splitRequest(source, dir / "out", 2), log);
    EXPECT_EQ(r.outcome, Outcome::Refused);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].icon, Icon::Critical);
    EXPECT_EQ(log.messages[0].title, "Dorvik");
    EXPECT_EQ(log.messages[0].text.rfind(source + ": ", 0), 0u);
    EXPECT_FALSE(platform::exists(dir / "out"));
}

#ifndef _WIN32
TEST(SplitChecks, NamedPipesAreRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.bin").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.000").c_str(), 0600), 0);
    EventLog log;
    EXPECT_EQ(engine::split(splitRequest(dir / "pipe.bin", dir / "out", 2), log).outcome,
              Outcome::Failed);
    EXPECT_EQ(engine::join(joinRequest(dir / "pipe.000", ""), log).outcome, Outcome::Refused);
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_EQ(log.messages[0].text,
              dir / "pipe.bin" + ": Not a regular file\nNothing was written.");
    EXPECT_EQ(log.messages[1].text, dir / "pipe.000" +
                                        ": Not a regular file\nNothing was joined; the pieces are "
                                        "untouched.");
}
#endif

#ifndef _WIN32
TEST(SplitChecks, APieceThatWouldReplaceTheSourceIsRefused) {
    TempDir dir;
    ASSERT_TRUE(platform::makeDirectory(dir / "other"));
    ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "link").c_str()), 0);
    const std::string data = patternBytes(200000);
    writeFile(dir / "x.000", data);
    writeFile(dir / "a.001", data);
    ASSERT_EQ(::link((dir / "a.001").c_str(), (dir / "other/a.002").c_str()), 0);
    const auto before = listDirectory(dir.path());

    struct Attempt {
        std::string source, target, piece;
    } attempts[] = {
        {dir / "x.000", dir.path(), dir / "x.000"},
        {dir / "x.000", dir.path() + "/", dir.path() + "/x.000"}, // another spelling
        {dir / "a.001", dir / "link", dir / "link/a.001"},        // through a link
        {dir / "a.001", dir / "other", dir / "other/a.002"},      // a hard link
    };
    for (const Attempt &a : attempts) {
        SCOPED_TRACE(a.target);
        EventLog log;
        EXPECT_EQ(engine::split(splitRequest(a.source, a.target, 3), log).outcome,
                  Outcome::Refused);
        EXPECT_EQ(log.messages,
                  std::vector{message(a.piece + ": this piece would replace the file being "
                                                "split.\nChoose another directory to split into; "
                                                "nothing was written.",
                                      "Dorvik", Icon::Critical)});
    }
    EXPECT_EQ(listDirectory(dir.path()), before);
    EXPECT_EQ(listDirectory(dir / "other"), std::set<std::string>{"a.002"});
    EXPECT_TRUE(readFile(dir / "x.000") == data);
    EXPECT_TRUE(readFile(dir / "a.001") == data);
}
#endif

TEST(SplitChecks, ADirectoryInAPiecesPlaceIsRefusedAndOldPiecesStay) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "out"));
    ASSERT_TRUE(platform::makeDirectory(dir / "out/f.001"));
    writeFile(dir / "out/f.000", "old first piece");
    EventLog log;
    EXPECT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "out", 3), log).outcome,
              Outcome::Refused);
    EXPECT_EQ(log.messages,
              std::vector{message(dir / "out/f.001" + ": Is a directory\nNothing was written.",
                                  "Dorvik", Icon::Critical)});
    EXPECT_EQ(listDirectory(dir / "out"), (std::set<std::string>{"f.000", "f.001"}));
    EXPECT_EQ(readFile(dir / "out/f.000"), "old first piece");
}

// ---- the target directory ------------------------------------------------------

TEST(SplitTarget, MadeOneLevelAndAMissingParentIsReported) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(90000));
    EventLog log;
    EXPECT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "new", 3), log).outcome,
              Outcome::Done);
    EXPECT_EQ(listDirectory(dir / "new"), setNames("f.", 3));

    EventLog failed;
    const std::string target = dir / "missing/deeper";
    EXPECT_EQ(engine::split(splitRequest(dir / "f.bin", target, 3), failed).outcome,
              Outcome::Failed);
    EXPECT_EQ(failed.messages,
              std::vector{message(target + ": " + noSuchPath() + "\nNothing was written.", "Dorvik",
                                  Icon::Critical)});
}

TEST(SplitTarget, ASmallerSecondSplitLeavesHigherOldPieces) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(300000, 1));
    EventLog log;
    ASSERT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "out", 5), log).outcome,
              Outcome::Done);
    const std::string old4 = readFile(dir / "out/f.004");
    writeFile(dir / "f.bin", patternBytes(300000, 2));
    ASSERT_EQ(engine::split(splitRequest(dir / "f.bin", dir / "out", 3), log).outcome,
              Outcome::Done);
    EXPECT_EQ(listDirectory(dir / "out"), setNames("f.", 5));
    EXPECT_TRUE(readFile(dir / "out/f.004") == old4);
    EXPECT_TRUE(readFile(dir / "out/f.002") == patternBytes(300000, 2).substr(2 * 99999));
}

// ---- a write that fails half-way -------------------------------------------------

#ifndef _WIN32
// Splits in a child under a file-size limit; the child leaves the outcome and
// the messages in `report`.
int splitUnderLimit(rlim_t limit, const SplitRequest &request, const std::string &report) {
    return dorvik::testing::runWithFileSizeLimit(limit, [&] {
        EventLog log;
        const SplitResult r = engine::split(request, log);
        std::string text = std::to_string(static_cast<int>(r.outcome));
        for (const auto &m : log.messages)
            text += "|" + m.text;
        writeFile(report, text);
        return 0;
    });
}

TEST(SplitFailure, AFailedWriteRemovesThisRunsPiecesAndKeepsOldFiles) {
    TempDir dir;
    writeFile(dir / "setup.exe", patternBytes(5000000));
    ASSERT_TRUE(platform::makeDirectory(dir / "out"));
    writeFile(dir / "out/setup.000", "old first piece");
    writeFile(dir / "out/setup.011", "old last piece");
    const std::string failed = std::to_string(static_cast<int>(Outcome::Failed));
    const std::string removed = "The split was stopped; the pieces it had written were removed.";

    // First piece: 416669 bytes; last: 416707; the others 416663.
    for (rlim_t limit : {200000u, 416680u}) {
        SCOPED_TRACE(limit);
        const std::string piece = dir / (limit < 416663 ? "out/setup.000" : "out/setup.011");
        ASSERT_EQ(splitUnderLimit(limit, splitRequest(dir / "setup.exe", dir / "out", 12),
                                  dir / "report"),
                  0);
        EXPECT_EQ(readFile(dir / "report"), failed + "|" + piece + ": File too large\n" + removed);
        EXPECT_EQ(listDirectory(dir / "out"), (std::set<std::string>{"setup.000", "setup.011"}));
        EXPECT_EQ(readFile(dir / "out/setup.000"), "old first piece");
        EXPECT_EQ(readFile(dir / "out/setup.011"), "old last piece");
    }
}
#endif

// ---- floppy disks ------------------------------------------------------------------

TEST(SplitFloppy, OnePromptAndOnePiecePerDisk) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy";

    EventLog log;
    std::vector<std::set<std::string>> disks; // the disk's contents at each prompt
    log.onMessage = [&](const platform::Message &m) {
        disks.push_back(listDirectory(dir / "floppy"));
        if (m.text.rfind("Insert disk #", 0) == 0) { // a fresh disk
            for (const auto &n : disks.back())
                EXPECT_TRUE(platform::removeFile(dir / ("floppy/" + n)));
        }
    };
    EXPECT_EQ(engine::split(request, log).outcome, Outcome::Done);
    EXPECT_EQ(log.messages,
              (std::vector{message("Insert disk #1", "Dorvik"), message("Insert disk #2", "Dorvik"),
                           message("Insert disk #3", "Dorvik"),
                           message(dir / "f.bin" + "\n is successfully splitted!", "Dorvik ")}));
    EXPECT_EQ(disks, (std::vector<std::set<std::string>>{
                         {}, {"f.000", "f.000.sha256"}, {"f.001"}, {"f.002"}}));
    EXPECT_EQ(readFile(dir / "floppy/f.002"), readFile(dir / "out/f.002"));
}

#ifndef _WIN32
TEST(SplitFloppy, AFailedCopyIsReportedAndCanBeRetriedOrSkipped) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(100000));
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 3);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy"; // no disk yet

    EventLog log;
    // Disk 1: no disk; one is inserted and Retry copies. Disk 2: the disk is
    // taken out again and the piece skipped with Cancel. Disk 3: back in.
    log.onMessage = [&](const platform::Message &m) {
        if (m.buttons == Buttons::RetryCancel && log.messages.size() == 2) {
            EXPECT_TRUE(platform::makeDirectory(dir / "floppy"));
        }
        if (m.text == "Insert disk #2")
            ::rename((dir / "floppy").c_str(), (dir / "gone").c_str());
        if (m.text == "Insert disk #3")
            ::rename((dir / "gone").c_str(), (dir / "floppy").c_str());
    };
    log.answers = {Answer::Ok, Answer::Retry, Answer::Ok, Answer::Cancel};
    const engine::SplitResult result = engine::split(request, log);
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.piecesNotOnDisks, 1);

    auto failure = [&](const std::string &piece) {
        return message(dir / "floppy/" + piece + ": No such file or directory\nThe piece " + piece +
                           " was not copied to the disk. Retry after changing the disk, or "
                           "Cancel to skip this piece.",
                       "Dorvik", Icon::Critical, Buttons::RetryCancel);
    };
    EXPECT_EQ(log.messages,
              (std::vector{message("Insert disk #1", "Dorvik"), failure("f.000"),
                           message("Insert disk #2", "Dorvik"), failure("f.001"),
                           message("Insert disk #3", "Dorvik"),
                           message(dir / "f.bin" + "\n is successfully splitted!", "Dorvik ")}));
    EXPECT_EQ(listDirectory(dir / "floppy"),
              (std::set<std::string>{"f.000", "f.000.sha256", "f.002"}));
}
#endif

TEST(SplitFloppy, AFileInPlaceOfTheDiskIsReportedForEachPiece) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(60000));
    writeFile(dir / "floppy", "not a disk");
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 2);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy";
    EventLog log;
    const engine::SplitResult result = engine::split(request, log);
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.piecesNotOnDisks, 2);
    ASSERT_EQ(log.messages.size(), 5u);
    EXPECT_EQ(log.messages[1].text.rfind(dir / "floppy/f.000: Not a directory\n", 0), 0u);
    EXPECT_EQ(log.messages[3].text.rfind(dir / "floppy/f.001: Not a directory\n", 0), 0u);
    EXPECT_EQ(readFile(dir / "floppy"), "not a disk");
}

// A checksum file that cannot go onto the first disk, its piece there,
// leaves no piece off the disks.
TEST(SplitFloppy, AChecksumFileLeftOffIsNoPieceLeftOff) {
    TempDir dir;
    writeFile(dir / "f.bin", patternBytes(60000));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy"));
    ASSERT_TRUE(platform::makeDirectory(dir / "floppy/f.000.sha256")); // in its way
    SplitRequest request = splitRequest(dir / "f.bin", dir / "out", 2);
    request.copyToFloppy = true;
    request.floppyDirectory = dir / "floppy";
    EventLog log; // Cancel to the failure
    const engine::SplitResult result = engine::split(request, log);
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.piecesNotOnDisks, 0);
    EXPECT_EQ(readFile(dir / "floppy/f.000"), readFile(dir / "out/f.000"));
}

} // namespace
