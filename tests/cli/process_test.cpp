// dorvik-cli as a script sees it: the built program in a child process
// without a terminal.
#include "tests/cli/process_runner.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace dorvik::testing {
namespace {

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// ---- round trips --------------------------------------------------------------

struct RoundTrip {
    const char *name;
    const char *file;
    std::size_t size;
    std::vector<std::string> splitArgs; // after "split FILE"; "@out" is out/ in the temp dir
    const char *firstPiece;             // relative to the temp dir
    int pieces;
};

void PrintTo(const RoundTrip &c, std::ostream *os) {
    *os << c.name;
}

class CliRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CliRoundTrip, SplitCheckJoinGiveTheFileBack) {
    const RoundTrip &c = GetParam();
    TempDir dir;
    const std::string source = dir / c.file;
    const std::string bytes = patternBytes(c.size, 7);
    writeFile(source, bytes);

    std::vector<std::string> args{"split", source};
    for (const std::string &a : c.splitArgs)
        args.push_back(a == "@out" ? dir / "out" : a);
    const CliRun split = runCli(args);
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_EQ(split.err, "dorvik-cli: " + source + "\n is successfully splitted!\n");

    const std::string first = dir / c.firstPiece;
    const std::string rebuilt = std::filesystem::path(first).parent_path().string() + "/" + c.file;
    const CliRun check = runCli({"check", first});
    ASSERT_EQ(check.status, 0) << check.err;
    EXPECT_TRUE(has(check.out, "length:   " + std::to_string(c.size) + " bytes")) << check.out;
    EXPECT_TRUE(has(check.out, "pieces:   " + std::to_string(c.pieces) + ", ")) << check.out;
    EXPECT_TRUE(has(check.out, "rebuilds: " + rebuilt + "\n")) << check.out;

    std::filesystem::remove(source);
    const CliRun join = runCli({"join", first, "-d", dir / "back", "--delete"});
    ASSERT_EQ(join.status, 0) << join.err;
    EXPECT_TRUE(readFile(rebuilt) == bytes);
    EXPECT_TRUE(readFile(dir / "back/" + c.file) == bytes);
    EXPECT_FALSE(std::filesystem::exists(first)); // --delete
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliRoundTrip,
    ::testing::Values(
        // Default count: the disks the file needs (3); pieces beside the file.
        RoundTrip{"DefaultCount", "report.doc", 3000000, {}, "report.000", 3},
        // Pieces larger than a disk, without --floppy: no question.
        RoundTrip{"LargePiecesNoWarning", "big.img", 3000001, {"-n", "2"}, "big.000", 2},
        RoundTrip{"OtherDirectoryTwoLetterSuffix",
                  "data.gz",
                  700000,
                  {"-n10", "-d", "@out"},
                  "out/data000",
                  10}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- exit statuses -----------------------------------------------------------------

struct Status {
    const char *name;
    // Makes the files in `dir` and returns the arguments.
    std::function<std::vector<std::string>(const TempDir &dir)> setup;
    int status;
    std::string errHas;
    std::string outHas{};
    void (*inChild)() = nullptr; // before exec: another user, a limit
};

void PrintTo(const Status &c, std::ostream *os) {
    *os << c.name;
}

class CliExitStatus : public ::testing::TestWithParam<Status> {};

TEST_P(CliExitStatus, TellsTheOutcomeAndChangesNothingElse) {
    const Status &c = GetParam();
    TempDir dir;
    const std::vector<std::string> args = c.setup(dir);
    const Snapshot before = snapshot(dir.path());
    CliOptions o;
    if (c.inChild)
        o.inChild = c.inChild;
    const CliRun r = runCli(args, o);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(has(r.err, c.errHas)) << r.err;
    EXPECT_TRUE(has(r.out, c.outHas)) << r.out;
    if (c.status != 0) {
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

std::vector<std::string> withFile(const TempDir &dir, const char *name, std::size_t size,
                                  std::vector<std::string> args) {
    writeFile(dir / name, patternBytes(size));
    for (std::string &a : args)
        if (a[0] == '@')
            a = dir / a.substr(1);
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliExitStatus,
    ::testing::Values(
        Status{"Help", [](const TempDir &) { return std::vector<std::string>{"--help"}; }, 0, "",
               "Usage: dorvik-cli split FILE"},
        Status{"Version", [](const TempDir &) { return std::vector<std::string>{"--version"}; }, 0,
               "", "dorvik-cli " DORVIK_VERSION "\n"},
        Status{"UsageError", [](const TempDir &) { return std::vector<std::string>{"split"}; }, 1,
               "dorvik-cli: split needs a file\nTry 'dorvik-cli --help'"},
        Status{"MissingFile",
               [](const TempDir &d) {
                   return std::vector<std::string>{"split", d / "none"};
               },
               1, "none: No such file or directory"},
        Status{"DirectoryAsFile",
               [](const TempDir &d) {
                   return std::vector<std::string>{"join", d.path()};
               },
               1, "Not a regular file"},
        Status{"PiecesTooSmall",
               [](const TempDir &d) {
                   return withFile(d, "small.bin", 59999, {"split", "@small.bin"});
               },
               1, "dorvik-cli: The splitted file can\u00b4t be less then 30 Kb.\n"},
        Status{"NotAFirstPiece",
               [](const TempDir &d) {
                   return withFile(d, "junk.000", 70000, {"check", "@junk.000"});
               },
               1, "junk.000: not the first piece"},
        Status{"TargetIsAFile",
               [](const TempDir &d) {
                   writeFile(d / "plain", "x");
                   return withFile(d, "a.bin", 90000, {"split", "@a.bin", "-d", "@plain"});
               },
               3, "plain: Not a directory"},
        // A directory the user may not write into.
        Status{"UnwritableDirectoryAsAnotherUser",
               [](const TempDir &d) {
                   std::filesystem::permissions(d.path(), std::filesystem::perms(0755));
                   auto args = withFile(d, "a.bin", 100000, {"split", "@a.bin", "-n", "2"});
                   std::filesystem::permissions(d / "a.bin", std::filesystem::perms(0644));
                   return args;
               },
               3, "Permission denied", "",
               [] {
                   if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                       ::_exit(126);
               }},
        // The program ignores SIGXFSZ: the write fails, the half-written pieces go.
        Status{"FileSizeLimit",
               [](const TempDir &d) {
                   return withFile(d, "a.bin", 3000000, {"split", "@a.bin", "-n", "2"});
               },
               3, "File too large", "",
               [] {
                   const rlimit limit{1000000, 1000000};
                   ::setrlimit(RLIMIT_FSIZE, &limit);
               }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- questions without a terminal ---------------------------------------------

struct NoTerminal {
    const char *name;
    Stdin stdinMode;
};

void PrintTo(const NoTerminal &c, std::ostream *os) {
    *os << c.name;
}

class CliWithoutTerminal : public ::testing::TestWithParam<NoTerminal> {};

TEST_P(CliWithoutTerminal, DiskQuestionWithoutYesStopsNamingIt) {
    TempDir dir;
    writeFile(dir / "a.bin", patternBytes(100000));
    const Snapshot before = snapshot(dir.path());
    CliOptions o;
    o.stdinMode = GetParam().stdinMode;
    o.limit = std::chrono::seconds(10);
    const CliRun r = runCli({"split", dir / "a.bin", "--floppy=" + dir / "disk"}, o);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(has(r.err, "give --yes")) << r.err;
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_P(CliWithoutTerminal, YesAnswersEveryDisk) {
    TempDir dir;
    writeFile(dir / "a.bin", patternBytes(3000000));
    std::filesystem::create_directory(dir / "disk");
    CliOptions o;
    o.stdinMode = GetParam().stdinMode;
    const CliRun r =
        runCli({"split", dir / "a.bin", "-n", "2", "--floppy=" + dir / "disk", "-y"}, o);
    EXPECT_EQ(r.status, 0) << r.err;
    // The warning matters with --floppy, and --yes answered it.
    EXPECT_TRUE(has(r.err, "dorvik-cli: The files will be larger than 1,4 Mb,\nand will not fit "
                           "on floppy disks.\n"))
        << r.err;
    EXPECT_TRUE(has(r.err, "Insert disk #2")) << r.err;
    EXPECT_EQ(listDirectory(dir / "disk"), (std::set<std::string>{"a.000", "a.001"}));
}

// A disk copy that fails is never retried without a terminal, even with
// --yes: the piece is skipped and the run ends failed.
TEST_P(CliWithoutTerminal, FailedDiskCopyIsSkippedNotRetried) {
    TempDir dir;
    writeFile(dir / "a.bin", patternBytes(100000));
    CliOptions o;
    o.stdinMode = GetParam().stdinMode;
    o.limit = std::chrono::seconds(10);
    const CliRun r =
        runCli({"split", dir / "a.bin", "-n", "3", "--floppy=" + dir / "no-disk", "--yes"}, o);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_TRUE(has(r.err, "3 pieces were not copied to a disk.")) << r.err;
    EXPECT_EQ(listDirectory(dir.path()),
              (std::set<std::string>{"a.bin", "a.000", "a.001", "a.002"}));
}

INSTANTIATE_TEST_SUITE_P(Stdin, CliWithoutTerminal,
                         ::testing::Values(NoTerminal{"Closed", Stdin::Closed},
                                           NoTerminal{"DevNull", Stdin::DevNull}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- stopping ---------------------------------------------------------------------

struct Stop {
    const char *name;
    bool join;
    int signal;
};

void PrintTo(const Stop &c, std::ostream *os) {
    *os << c.name;
}

// Sends `signal` to the run once a file it writes shows up in `dir` (or
// after about ten seconds); `sent` tells whether it showed up.
std::function<void(pid_t)> signalOnceWriting(const std::string &dir, int signal, bool &sent) {
    return [dir, signal, &sent](pid_t pid) {
        for (int i = 0; i < 1000 && !sent; ++i) {
            for (const std::string &name : listDirectory(dir))
                sent = sent || has(name, ".part-");
            if (!sent)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, signal);
    };
}

class CliStop : public ::testing::TestWithParam<Stop> {};

TEST_P(CliStop, LeavesTheDirectoryAsItWas) {
    const Stop &c = GetParam();
    TempDir dir;
    writeFile(dir / "a.bin", patternBytes(600000, 1));
    // An older set of the same name, which a stopped split must not touch.
    ASSERT_EQ(runCli({"split", dir / "a.bin", "-n", "10", "-q"}).status, 0);
    if (!c.join)
        writeFile(dir / "a.bin", patternBytes(600000, 2));
    else
        std::filesystem::remove(dir / "a.bin");
    const Snapshot before = snapshot(dir.path());

    CliOptions o;
    o.env = {"DORVIK_TEST_COPY_DELAY_US=200000"};
    bool sent = false;
    o.whileRunning = signalOnceWriting(dir.path(), c.signal, sent);
    const CliRun r = c.join ? runCli({"join", dir / "a.000"}, o)
                            : runCli({"split", dir / "a.bin", "-n", "10"}, o);
    EXPECT_TRUE(sent);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(has(r.err, "dorvik-cli: cancelled; nothing was changed.\n")) << r.err;
    EXPECT_EQ(snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Table, CliStop,
                         ::testing::Values(Stop{"SplitInterrupted", false, SIGINT},
                                           Stop{"SplitTerminated", false, SIGTERM},
                                           Stop{"SplitHungUp", false, SIGHUP},
                                           Stop{"JoinInterrupted", true, SIGINT}),
                         [](const auto &info) { return std::string(info.param.name); });

// Stopped while copying the joined file into another directory: the file
// stays joined beside the pieces, the half copy goes, and the message says so.
TEST(CliStopCopy, JoinKeepsTheJoinedFileAndRemovesTheHalfCopy) {
    TempDir dir;
    const std::string bytes = patternBytes(600000, 3);
    writeFile(dir / "a.bin", bytes);
    ASSERT_EQ(runCli({"split", dir / "a.bin", "-n", "10", "-q"}).status, 0);
    std::filesystem::remove(dir / "a.bin");
    std::filesystem::create_directory(dir / "t");

    CliOptions o;
    o.env = {"DORVIK_TEST_COPY_DELAY_US=300000"};
    bool sent = false;
    o.whileRunning = signalOnceWriting(dir / "t", SIGINT, sent);
    const CliRun r = runCli({"join", dir / "a.000", "-d", dir / "t"}, o);
    EXPECT_TRUE(sent);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(has(r.err, "a.bin was joined, only its copy into")) << r.err;
    EXPECT_TRUE(readFile(dir / "a.bin") == bytes);
    EXPECT_EQ(listDirectory(dir / "t"), std::set<std::string>{});
}

// ---- check -------------------------------------------------------------------------

struct Broken {
    const char *name;
    std::function<void(const TempDir &)> damage;
    std::string errHas;
};

void PrintTo(const Broken &c, std::ostream *os) {
    *os << c.name;
}

class CliCheck : public ::testing::TestWithParam<Broken> {};

TEST_P(CliCheck, NamesThePieceAndWritesNothing) {
    TempDir dir;
    writeFile(dir / "a.bin", patternBytes(400000));
    ASSERT_EQ(runCli({"split", dir / "a.bin", "-n", "4", "-q"}).status, 0);
    std::filesystem::remove(dir / "a.bin");
    GetParam().damage(dir);
    const Snapshot before = snapshot(dir.path());
    const CliRun r = runCli({"check", dir / "a.000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, GetParam().errHas)) << r.err;
    EXPECT_TRUE(has(r.err, "join would refuse this set")) << r.err;
    EXPECT_EQ(snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliCheck,
    ::testing::Values(
        Broken{"MissingPiece", [](const TempDir &d) { std::filesystem::remove(d / "a.002"); },
               "a.002: No such file or directory"},
        Broken{"ShortPiece",
               [](const TempDir &d) { std::filesystem::resize_file(d / "a.001", 50000); },
               "a.001: the piece has 50000 bytes, 99999 expected."},
        Broken{"ShortLastPiece",
               [](const TempDir &d) { std::filesystem::resize_file(d / "a.003", 10); },
               "a.003: the last piece has 10 bytes"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace dorvik::testing
