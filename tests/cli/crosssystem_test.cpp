// Sets travel between the systems: a set split by dorvik-cli here joins byte
// for byte with dorvik-cli.exe under Wine, and the other way round. Skipped
// when DORVIK_WINDOWS_CLI is not set; once it is set (scripts/run-tests.sh,
// and so .ci/run, sets it), it must name a built dorvik-cli.exe and Wine must
// run, or the test fails.
#include "tests/cli/process_runner.h"
#include "tests/support/new_file.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace dorvik::testing {
namespace {

namespace fs = std::filesystem;

// The path as the program under Wine takes it: the Linux root is drive Z:.
std::string underWine(std::string path) {
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

enum class Side { Linux, Windows };

// Runs "split" or "join" on `side`; `paths` are Linux paths.
CliRun runOn(Side side, std::vector<std::string> args, const std::vector<std::size_t> &paths) {
    if (side == Side::Linux)
        return runCli(std::move(args));
    for (std::size_t k : paths)
        args[k] = underWine(args[k]);
    args.insert(args.begin(), {"wine", std::getenv("DORVIK_WINDOWS_CLI")});
    return runCommand(std::move(args), {}, {}, 900);
}

// Byte for byte, a mebibyte at a time (the large files are mostly holes).
bool sameBytes(const std::string &a, const std::string &b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::string p(1 << 20, '\0'), q(1 << 20, '\0');
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || p.compare(0, x.gcount(), q, 0, y.gcount()) != 0)
            return false;
    }
    return x.eof() && y.eof();
}

// A sparse file of `length` bytes with data at a few places: the start, the
// 4 GiB line, the end.
void makeSparse(const std::string &path, std::int64_t length) {
    platform::File f = newFileAt(path);
    ASSERT_EQ(::ftruncate(f.descriptor(), length), 0);
    for (const std::int64_t at : std::vector<std::int64_t>{0, (4LL << 30) - 3000, length - 5000}) {
        const std::string mark = patternBytes(5000, static_cast<unsigned>(at % 977));
        ASSERT_TRUE(f.writeAt(at, mark.data(), mark.size()));
    }
    ASSERT_TRUE(f.close());
}

TEST(CrossSystem, ASetSplitOnOneSystemJoinsOnTheOther) {
    const char *exe = std::getenv("DORVIK_WINDOWS_CLI");
    if (!exe)
        GTEST_SKIP() << "DORVIK_WINDOWS_CLI is not set: set it to the dorvik-cli.exe that "
                        "scripts/build-windows.sh builds (scripts/run-tests.sh does)";
    // Asked for, the round trips run: a missing .exe or Wine fails them.
    ASSERT_TRUE(fs::is_regular_file(exe))
        << "DORVIK_WINDOWS_CLI is set, but names no dorvik-cli.exe: \"" << exe
        << "\" (scripts/build-windows.sh builds it)";
    const CliRun wine = runCommand({"wine", "--version"});
    ASSERT_EQ(wine.status, 0)
        << "DORVIK_WINDOWS_CLI is set, but `wine --version` fails (exit status " << wine.status
        << "; 127: no wine on PATH): " << wine.err;
    // A name with letters of several scripts and an ending outside ASCII
    // (é, and the euro sign, which only Windows-1252 has).
    const std::string wide = "\xCE\xA9mega-\xE6\x96\x87\xE5\xAD\x97.d\xE2\x82\xAC\xC3\xA9";
    const struct {
        const char *what;
        std::string name, firstPiece;
        std::int64_t length;
        Side splitOn, joinOn;
        std::string damaged = {}; // a piece with one byte changed on its way
    } trips[] = {
        {"wide name, Linux to Windows", wide, "\xCE\xA9mega-\xE6\x96\x87\xE5\xAD\x97.000", 3000017,
         Side::Linux, Side::Windows},
        {"wide name, Windows to Linux", wide, "\xCE\xA9mega-\xE6\x96\x87\xE5\xAD\x97.000", 3000017,
         Side::Windows, Side::Linux},
        {"over 4 GiB, Linux to Windows", "huge.img", "huge.000", (4LL << 30) + 12345, Side::Linux,
         Side::Windows},
        {"over 4 GiB, Windows to Linux", "huge.img", "huge.000", (4LL << 30) + 12345, Side::Windows,
         Side::Linux},
        {"damaged, Linux to Windows", "report.doc", "report.000", 3000017, Side::Linux,
         Side::Windows, "report.001"},
        {"damaged, Windows to Linux", "report.doc", "report.000", 3000017, Side::Windows,
         Side::Linux, "report.002"},
    };
    for (const auto &t : trips) {
        SCOPED_TRACE(t.what);
        TempDir dir;
        fs::create_directories(fsPath(dir / "from"));
        const std::string source = dir / ("from/" + t.name);
        if (t.length > (1LL << 32))
            makeSparse(source, t.length);
        else
            writeFile(source, patternBytes(static_cast<std::size_t>(t.length), 5));
        const CliRun split =
            runOn(t.splitOn, {"split", source, "-n", "3", "-d", dir / "set", "-q"}, {1, 5});
        ASSERT_EQ(split.status, 0) << split.err;

        // Every file the split wrote travels: the pieces and their checksum
        // file, which the join on the other side verifies them by.
        fs::create_directories(fsPath(dir / "to"));
        for (const std::string &file : listDirectory(dir / "set"))
            fs::rename(fsPath(dir / ("set/" + file)), fsPath(dir / ("to/" + file)));
        EXPECT_EQ(listDirectory(dir / "to").count(t.firstPiece + ".sha256"), 1u);
        if (!t.damaged.empty()) {
            std::fstream piece(fsPath(dir / ("to/" + t.damaged)),
                               std::ios::binary | std::ios::in | std::ios::out);
            piece.seekg(4321);
            const char byte = static_cast<char>(piece.get());
            piece.seekp(4321);
            piece.put(static_cast<char>(byte ^ 0x20));
        }
        const auto before = listDirectory(dir / "to");
        const CliRun join = runOn(t.joinOn, {"join", dir / ("to/" + t.firstPiece), "-q"}, {1});
        if (!t.damaged.empty()) {
            EXPECT_EQ(join.status, 1) << join.err;
            EXPECT_NE(join.err.find(t.damaged + ": this piece is damaged"), std::string::npos)
                << join.err;
            EXPECT_EQ(listDirectory(dir / "to"), before) << "nothing is written";
            continue;
        }
        ASSERT_EQ(join.status, 0) << join.err;
        EXPECT_TRUE(sameBytes(source, dir / ("to/" + t.name)));
        EXPECT_EQ(listDirectory(dir / "to").count(t.name), 1u);
        for (const std::string &file : listDirectory(dir / "to"))
            EXPECT_NE(file[0], '.') << "a temporary was left: " << file;
    }
}

} // namespace
} // namespace dorvik::testing
