// dorvik-cli as a script sees it: the built program in a child process
// without a terminal and with stdin closed.
#include "tests/cli/process_runner.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <thread>

namespace dorvik::testing {
namespace {

namespace fs = std::filesystem;

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// The words of `line`, "@name" in each turned into the path of name in `dir`.
std::vector<std::string> words(const TempDir &dir, const std::string &line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string w; in >> w;) {
        if (const auto at = w.find('@'); at != std::string::npos)
            w = w.substr(0, at) + dir / w.substr(at + 1);
        result.push_back(w);
    }
    return result;
}

TEST(Cli, SplitCheckJoinGiveTheFileBack) {
    const struct {
        std::size_t size;
        const char *split;      // "split @FILE ..."
        const char *firstPiece; // in the temp dir
        int pieces;
        std::string splitSays = ""; // messages before the success message
    } table[] = {
        // The default count: the disks the file needs; the pieces beside it.
        {3000000, "split @report.doc", "report.000", 3},
        // Pieces larger than a disk without --floppy: no question.
        {3000001, "split @big.img -n 2", "big.000", 2},
        {700000, "split @data.gz -n10 -d @out", "out/data000", 10},
        // With --floppy the warning matters; --yes answers it and every disk.
        {3000000, "split @a.bin -n 2 --floppy=@disk -y", "disk/a.000", 2,
         "dorvik-cli: The files will be larger than 1,4 Mb,\nand will not fit on floppy "
         "disks.\ndorvik-cli: Insert disk #1\ndorvik-cli: Insert disk #2\n"},
    };
    for (const auto &c : table) {
        SCOPED_TRACE(c.split);
        TempDir dir;
        const std::vector<std::string> split = words(dir, c.split);
        const std::string file = fs::path(split[1]).filename();
        const std::string bytes = patternBytes(c.size, 7);
        writeFile(dir / file, bytes);
        fs::create_directory(dir / "disk");
        const CliRun r = runCli(split);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err,
                  c.splitSays + "dorvik-cli: " + dir / file + "\n is successfully splitted!\n");

        const std::string first = dir / c.firstPiece;
        const std::string rebuilt = fs::path(first).parent_path() / file;
        const CliRun check = runCli({"check", first});
        ASSERT_EQ(check.status, 0) << check.err;
        EXPECT_TRUE(has(check.out, "length:   " + std::to_string(c.size) + " bytes")) << check.out;
        EXPECT_TRUE(has(check.out, "pieces:   " + std::to_string(c.pieces) + ", ")) << check.out;
        EXPECT_TRUE(has(check.out, "rebuilds: " + rebuilt + "\n")) << check.out;
        EXPECT_TRUE(has(check.out, "checked:  every piece and the rebuilt file match"))
            << check.out;

        fs::remove(dir / file);
        const CliRun join = runCli({"join", first, "-d", dir / "back", "--delete"});
        ASSERT_EQ(join.status, 0) << join.err;
        EXPECT_TRUE(readFile(rebuilt) == bytes);
        EXPECT_TRUE(readFile(dir / "back/" + file) == bytes);
        EXPECT_FALSE(fs::exists(first)); // --delete
    }
}

TEST(Cli, ExitStatusTellsTheOutcome) {
    const struct {
        const char *args; // "@a.bin" is a file of `size` bytes in the temp dir
        std::size_t size;
        int status;
        std::string errHas, outHas = "";
        const char *after = "";      // the temp dir's names after; "": as it was
        void (*inChild)() = nullptr; // before exec: a limit
    } table[] = {
        {"--help", 0, 0, "", "Usage: dorvik-cli split FILE"},
        // Output that cannot be written is a failure, as in coreutils.
        {"--version", 0, 3, "dorvik-cli: write error: No space left on device", "", "",
         [] { ::dup2(::open("/dev/full", O_WRONLY), 1); }},
        {"split @a.bin -n 3 --no-checksum -q", 100000, 0, "", "", "a.bin a.000 a.001 a.002"},
        {"--version", 0, 0, "", "dorvik-cli " DORVIK_VERSION "\n"},
        {"split", 0, 1, "dorvik-cli: split needs a file\nTry 'dorvik-cli --help'"},
        // A question pending, no terminal, no --yes: stop at once, naming it.
        {"split @a.bin --floppy=@disk", 100000, 1, "give --yes"},
        // A failed disk copy is never retried without a terminal, even with
        // --yes: the pieces stay, uncopied.
        {"split @a.bin -n 3 --floppy=@no-disk --yes", 100000, 3,
         "3 pieces were not copied to a disk.", "", "a.bin a.000 a.000.sha256 a.001 a.002"},
        // The program ignores SIGXFSZ: the write fails, the half-written pieces go.
        {"split @a.bin -n 2", 3000000, 3, "File too large", "", "",
         [] {
             const rlimit limit{1000000, 1000000};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    for (const auto &c : table) {
        SCOPED_TRACE(c.args);
        TempDir dir;
        writeFile(dir / "a.bin", patternBytes(c.size));
        const Snapshot before = snapshot(dir.path());
        const CliRun r = runCli(words(dir, c.args), c.inChild);
        EXPECT_EQ(r.signal, 0) << "hung or crashed";
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(has(r.err, c.errHas)) << r.err;
        EXPECT_TRUE(has(r.out, c.outHas)) << r.out;
        if (*c.after) {
            const std::vector<std::string> after = words(dir, c.after);
            EXPECT_EQ(listDirectory(dir.path()), std::set<std::string>(after.begin(), after.end()));
        } else {
            EXPECT_EQ(snapshot(dir.path()), before);
        }
    }
}

// On a set of ten pieces of a.bin (a split is given new bytes of that name),
// a run stopped by a signal, or a check of a broken set, leaves everything
// as it was.
TEST(Cli, StoppedOrRefusedOnASetLeavesItAsItWas) {
    constexpr char kCancelled[] = "dorvik-cli: cancelled; nothing was changed.\n";
    const struct {
        int signal; // sent once the run's temporary shows up in `writesIn`; 0: none
        const char *args;
        int status;
        std::string says;
        const char *writesIn = "";
        void (*damage)(const TempDir &) = nullptr;
    } table[] = {
        {SIGINT, "split @a.bin -n 10", 2, kCancelled},
        {SIGTERM, "split @a.bin -n 10", 2, kCancelled},
        {SIGHUP, "split @a.bin -n 10", 2, kCancelled},
        {SIGINT, "join @a.000", 2, kCancelled},
        // The file stays joined beside the pieces; the half copy goes.
        {SIGINT, "join @a.000 -d @t", 2, "a.bin was joined, only its copy into", "t"},
        {0, "check @a.000", 1, "a.002: No such file or directory", "",
         [](const TempDir &d) { fs::remove(d / "a.002"); }},
        {0, "check @a.000", 1, "a.001: the piece has 50000 bytes, 60000 expected.", "",
         [](const TempDir &d) { fs::resize_file(d / "a.001", 50000); }},
        {0, "check @a.000", 1, "a.003: this piece is damaged", "",
         [](const TempDir &d) { writeFile(d / "a.003", patternBytes(60000, 9)); }},
    };
    for (const auto &c : table) {
        SCOPED_TRACE(c.args + std::string(c.signal ? " stopped by " : " with ") + c.says);
        TempDir dir;
        const std::string old = patternBytes(600000, 1);
        writeFile(dir / "a.bin", old);
        ASSERT_EQ(runCli({"split", dir / "a.bin", "-n", "10", "-q"}).status, 0);
        fs::remove(dir / "a.bin");
        const std::vector<std::string> args = words(dir, c.args);
        if (args[0] == "split")
            writeFile(dir / "a.bin", patternBytes(600000, 2));
        fs::create_directory(dir / "t");
        if (c.damage)
            c.damage(dir);
        const Snapshot before = snapshot(dir.path());

        std::optional<ScopedEnv> slow;
        if (c.signal)
            slow.emplace("DORVIK_TEST_COPY_DELAY_US", "200000");
        bool sent = false; // the signal came while the run was writing
        const CliRun r = runCli(args, {}, [&](pid_t pid) {
            for (int i = 0; c.signal && !sent && i < 3000; ++i) {
                for (const std::string &name : listDirectory(dir / c.writesIn))
                    sent = sent || has(name, ".part-");
                if (!sent)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (c.signal)
                ::kill(pid, c.signal);
        });
        EXPECT_EQ(sent, c.signal != 0);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(has(r.err, c.says)) << r.err;
        if (c.status == 1) {
            EXPECT_TRUE(has(r.err, "join would refuse this set")) << r.err;
        }
        if (std::string(c.writesIn) == "t") { // stopped while copying the joined file
            EXPECT_TRUE(readFile(dir / "a.bin") == old);
            fs::remove(dir / "a.bin");
        }
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

} // namespace
} // namespace dorvik::testing
