#include "engine_test_util.h"
#include "platform/fs.h"
#include "splitter/engine/format.h"

#include <gtest/gtest.h>

namespace {

// A set of `name` (L bytes) cut into N pieces in dir/set; returns the data.
std::string makeSet(const TempDir &dir, const std::string &name, std::int64_t L, int N) {
    EXPECT_TRUE(platform::makeDirectory(dir / "src"));
    const std::string data = patternBytes(static_cast<std::size_t>(L), 7);
    writeFile(dir / ("src/" + name), data);
    EventLog log;
    EXPECT_EQ(split(splitRequest(dir / ("src/" + name), dir / "set", N), log).outcome,
              Outcome::Done);
    return data;
}

TEST(JoinChecks, OnlyANameEndingInZeroGetsPastTheFirstCheck) {
    TempDir dir;
    makeSet(dir, "report.doc", 200001, 3);
    EventLog log;
    JoinRequest request = joinRequest(dir / "set/report.001", dir / "set");
    request.busy = log.busy();
    const JoinResult r = join(request, log);
    EXPECT_EQ(r.outcome, Outcome::Refused);
    EXPECT_EQ(log.events, std::vector<std::string>{"You have to select an *.000 file."});
    EXPECT_EQ(log.messages, std::vector{message("You have to select an *.000 file.", "Dorvik")});
    EXPECT_FALSE(r.count || r.suffix || r.targetDirectory || r.clearFields || r.disableJoin);
}

// Each damaged set is refused before anything is written, with a message
// naming the file at fault.
TEST(JoinChecks, DamagedSetsAreRefusedNamingTheFileAtFault) {
    using Damage = std::function<void(const std::string &set)>;
    const std::string incomplete = "The piece set is incomplete or damaged; nothing was joined.";
    const std::string untouched = "Nothing was joined; the pieces are untouched.";
    struct Case {
        const char *what;
        Damage damage;
        std::string first;  // piece chosen, in the set's directory
        std::string reason; // expected text after the directory
    };
    const Case cases[] = {
        {"a later piece chosen",
         [](const std::string &s) {
             std::filesystem::create_hard_link(dorvik::testing::fsPath(s + "/report.002"),
                                               dorvik::testing::fsPath(s + "/report.010"));
         },
         "report.010",
         "report.010: not the first piece of a split file; its name has to end in 000.\n" +
             untouched},
        {"no piece at all",
         [](const std::string &s) { writeFile(s + "/junk.000", patternBytes(70000)); }, "junk.000",
         "junk.000: not the first piece of a split file; it does not end in a piece count and "
         "name.\n" +
             untouched},
        {"a piece missing",
         [](const std::string &s) { EXPECT_TRUE(platform::removeFile(s + "/report.001")); },
         "report.000", "report.001: " + noSuchFile() + "\n" + incomplete},
        {"a piece too short",
         [](const std::string &s) {
             std::filesystem::resize_file(dorvik::testing::fsPath(s + "/report.001"), 66665);
         },
         "report.000", "report.001: the piece has 66665 bytes, 66666 expected.\n" + incomplete},
        {"the last piece too short",
         [](const std::string &s) {
             std::filesystem::resize_file(dorvik::testing::fsPath(s + "/report.002"), 66665);
         },
         "report.000",
         "report.002: the last piece has 66665 bytes, at least 66666 expected.\n" + incomplete},
        {"a size no split writes",
         [](const std::string &s) {
             writeFile(s + "/odd.000", patternBytes(60001) + "\0002abc"s);
             writeFile(s + "/odd.001", patternBytes(60001));
         },
         "odd.000",
         "odd.000: the piece holds 60001 data bytes, a size no split writes.\n" + incomplete},
        {"a separator in the suffix",
         [](const std::string &s) {
             writeFile(s + "/sep.000", patternBytes(30000) + "\0002a/b"s);
             writeFile(s + "/sep.001", patternBytes(30000));
         },
         "sep.000",
         "sep.000: the name ending \"a/b\" stored in the piece cannot end a file name.\n" +
             untouched},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        makeSet(dir, "report.doc", 200001, 3);
        c.damage(dir / "set");
        const auto before = listDirectory(dir / "set");
        EventLog log;
        JoinRequest request = joinRequest(dir / ("set/" + c.first), dir / "elsewhere");
        request.deletePieces = true;
        request.busy = log.busy();
        EXPECT_EQ(join(request, log).outcome, Outcome::Refused);
        const std::string text = dir / "set" + platform::kSeparator + c.reason;
        EXPECT_EQ(log.events, (std::vector<std::string>{"busy on", "busy off", text}));
        EXPECT_EQ(log.messages, std::vector{message(text, "Dorvik", Icon::Critical)});
        EXPECT_EQ(listDirectory(dir / "set"), before);
        EXPECT_FALSE(platform::exists(dir / "elsewhere"));
    }
}

TEST(JoinPieces, DeletingRemovesExactlyTheSetsPieces) {
    TempDir dir;
    const std::string data = makeSet(dir, "report.doc", 200001, 3);
    writeFile(dir / "set/report.003", "a further file named like a piece");
    writeFile(dir / "set/notes.txt", "other");
    JoinRequest request = joinRequest(dir / "set/report.000", dir / "set");
    request.deletePieces = true;
    EventLog log;
    const JoinResult r = join(request, log);
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.count, "3");
    EXPECT_EQ(r.suffix, "doc");
    EXPECT_EQ(listDirectory(dir / "set"),
              (std::set<std::string>{"report.003", "notes.txt", "report.doc"}));
    EXPECT_TRUE(readFile(dir / "set/report.doc") == data);
}

TEST(JoinPieces, ARebuiltNameEqualToAPieceNameLosesNoData) {
    // x.000 cut into three pieces elsewhere: x.000, x.001, x.002; the rebuilt
    // file is x.000 again.
    for (bool deletePieces : {false, true}) {
        SCOPED_TRACE(deletePieces);
        TempDir dir;
        const std::string data = makeSet(dir, "x.000", 200001, 3);
        const std::string piece1 = readFile(dir / "set/x.001");
        JoinRequest request = joinRequest(dir / "set/x.000", dir / "set");
        request.deletePieces = deletePieces;
        EventLog log;
        EXPECT_EQ(join(request, log).outcome, Outcome::Done);
        EXPECT_TRUE(readFile(dir / "set/x.000") == data);
        if (deletePieces) {
            EXPECT_EQ(listDirectory(dir / "set"), std::set<std::string>{"x.000"});
        } else {
            EXPECT_EQ(listDirectory(dir / "set"),
                      (std::set<std::string>{"x.000", "x.000.sha256", "x.001", "x.002"}));
            EXPECT_TRUE(readFile(dir / "set/x.001") == piece1);
        }
    }
}

#ifndef _WIN32
TEST(JoinTarget, TheSameDirectoryUnderAnotherSpellingGetsNoCopy) {
    TempDir dir;
    makeSet(dir, "report.doc", 200001, 3);
    ASSERT_EQ(::symlink((dir / "set").c_str(), (dir / "alias").c_str()), 0);
    for (const std::string &target : {dir / "set/", dir / "alias", dir / "set/../set"}) {
        SCOPED_TRACE(target);
        EventLog log;
        const JoinResult r = join(joinRequest(dir / "set/report.000", target), log);
        EXPECT_EQ(r.outcome, Outcome::Done);
        EXPECT_FALSE(r.targetDirectory);
        EXPECT_EQ(listDirectory(dir / "set"),
                  (std::set<std::string>{"report.000", "report.000.sha256", "report.001",
                                         "report.002", "report.doc"}));
        EXPECT_EQ(
            log.messages,
            std::vector{message(dir / "set/report.doc" + "\n is successfully joined!", "Dorvik ")});
    }
}
#endif

TEST(JoinTarget, AnotherDirectoryIsMadeAndGetsACopy) {
    TempDir dir;
    const std::string data = makeSet(dir, "data.gz", 90000, 3);
    EventLog log;
    const JoinResult r = join(joinRequest(dir / "set/data000", dir / "out"), log);
    EXPECT_EQ(r.outcome, Outcome::Done);
    EXPECT_EQ(r.targetDirectory, dir / "out");
    EXPECT_TRUE(r.clearFields && r.disableJoin);
    EXPECT_TRUE(readFile(dir / "set/data.gz") == data);
    EXPECT_TRUE(readFile(dir / "out/data.gz") == data);
    EXPECT_EQ(log.messages,
              std::vector{message(dir / "set/data.gz" + "\n is successfully joined!", "Dorvik ")});
}

TEST(JoinTarget, AFailedCopyIsReportedAndTheFileStaysBesideThePieces) {
    TempDir dir;
    const std::string data = makeSet(dir, "report.doc", 200001, 3);
    writeFile(dir / "blocker", "a file where the directory should be");
    EventLog log;
    JoinRequest request = joinRequest(dir / "set/report.000", dir / "blocker");
    request.busy = log.busy();
    const JoinResult r = join(request, log);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_TRUE(r.clearFields && r.disableJoin);
    const std::string text = dir / "blocker" + ": Not a directory\n" + dir / "set/report.doc" +
                             " was joined, but it was not copied into " + dir / "blocker" +
                             "; the joined file is where the pieces were.";
    EXPECT_EQ(log.events, (std::vector<std::string>{"busy on", "busy off", text}));
    EXPECT_EQ(log.messages, std::vector{message(text, "Dorvik", Icon::Critical)});
    EXPECT_TRUE(readFile(dir / "set/report.doc") == data);
}

#ifndef _WIN32
TEST(JoinFailure, AFailedWriteDeletesNothingAndLeavesNoOutput) {
    TempDir dir;
    makeSet(dir, "report.doc", 200001, 3);
    const auto before = listDirectory(dir / "set");
    const int code = dorvik::testing::runWithFileSizeLimit(100000, [&] {
        EventLog log;
        JoinRequest request = joinRequest(dir / "set/report.000", dir / "out");
        request.deletePieces = true;
        const JoinResult r = join(request, log);
        writeFile(dir / "report", log.messages.size() == 1 ? log.messages[0].text : "?");
        return r.outcome == Outcome::Failed ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(dir / "report"), dir / "set/report.doc" + ": File too large\n" +
                                            "Nothing was joined; the pieces are untouched.");
    EXPECT_EQ(listDirectory(dir / "set"), before);
    EXPECT_FALSE(platform::exists(dir / "out"));
}
#endif

} // namespace
