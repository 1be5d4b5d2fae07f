#include "splitter/engine/checksumfile.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace dorvik::engine;
using namespace std::string_literals;
using dorvik::testing::readFile;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;

namespace {

const std::string kHex = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";
const Sha256::Digest kDigest = *fromHex(kHex);

ChecksumLine line(const std::string &name) {
    return {name, kDigest};
}

} // namespace

// Texts that sha256sum writes (`written`: as formatChecksums does) or reads,
// and the lines they hold.
TEST(ChecksumFile, WritesAndReadsWhatSha256SumDoes) {
    const std::string upper = "CA978112CA1BBDCAFAC231B39A23DC4DA786EFF8147C4E72B9807785AFEE48BB";
    const struct {
        bool written;
        std::string text;
        std::vector<ChecksumLine> lines;
    } rows[] = {
        {true, kHex + "  data.000\n" + kHex + "   blank\n", {line("data.000"), line(" blank")}},
        {true, kHex + "  *star\n", {line("*star")}},
        {true, "\\" + kHex + "  back\\\\slash\n", {line("back\\slash")}},
        {true, "\\" + kHex + "  line\\nfeed\n", {line("line\nfeed")}},
        {true, "\\" + kHex + "  cr\\r\n", {line("cr\r")}},
        {false, kHex + " *bin", {line("bin")}}, // binary mode, no final line feed
        {false, upper + "  up\r\n" + kHex + "  x\n", {line("up"), line("x")}}, // uppercase, CRLF
        {false, kHex + "  a\r\r\n", {line("a\r")}},             // one CR belongs to the line end
        {false, kHex + "  no\\escape\n", {line("no\\escape")}}, // as it is without a leading '\'
        {false, "\\" + kHex + " *plain\n", {line("plain")}},    // escaped line without escapes
    };
    for (const auto &row : rows) {
        if (row.written) {
            EXPECT_EQ(formatChecksums(row.lines), row.text);
        }
        const ParsedChecksums parsed = parseChecksums(row.text);
        EXPECT_EQ(parsed.lines, row.lines) << parsed.error;
    }
}

TEST(ChecksumFile, RefusesAnythingElseNamingTheLine) {
    const std::string ok = kHex + "  ok\n";
    const struct {
        std::string text, error;
    } rows[] = {
        {"", "no checksum lines"},
        {ok + "\n", "line 2: blank line"},
        {ok + "\r\n" + ok, "line 2: blank line"},
        {ok + ok + kHex + "  a\0b\n"s, "line 3: NUL byte in the line"},
        {kHex.substr(1) + "  a\n", "line 1: the checksum is not 64 hexadecimal digits"},
        {kHex + "0  a\n", "line 1: the checksum is not 64 hexadecimal digits"},
        {"SHA256 (a) = " + kHex + "\n", "line 1: the checksum is not 64 hexadecimal digits"},
        {kHex + " a\n", "line 1: no \"  \" or \" *\" after the checksum"},
        {kHex + "  \n", "line 1: no file name"},
        {"\\" + kHex + "  a\\tb\n", "line 1: unknown escape in the file name"},
        {"\\" + kHex + "  a\\\n", "line 1: unknown escape in the file name"},
    };
    for (const auto &row : rows) {
        const ParsedChecksums parsed = parseChecksums(row.text);
        EXPECT_EQ(parsed.error, row.error) << row.text;
        EXPECT_TRUE(parsed.lines.empty());
    }
}

#ifndef _WIN32
// Our text passes `sha256sum -c`, and what sha256sum writes reads back to the
// same names and digests.
TEST(ChecksumFile, AgreesWithSha256Sum) {
    TempDir dir;
    const std::string files = dir / "files";
    std::filesystem::create_directory(files);
    std::vector<ChecksumLine> lines;
    for (std::string name : // in byte order, as the shell lists them below
         {" ", "*star", "back\\slash", "cr\r", "gr\xc3\xbc\xc3\x9f", "line\nfeed"}) {
        writeFile(files + "/" + name, "bytes of " + name);
        lines.push_back({name, Sha256::of("bytes of " + name)});
    }
    writeFile(dir / "ours", formatChecksums(lines));
    const std::string cd = "cd '" + files + "' && LC_ALL=C && export LC_ALL && ";
    EXPECT_EQ(std::system((cd + "sha256sum -c --strict --quiet ../ours").c_str()), 0);

    ASSERT_EQ(std::system((cd + "sha256sum -- * > ../theirs").c_str()), 0);
    const ParsedChecksums theirs = parseChecksums(readFile(dir / "theirs"));
    ASSERT_TRUE(theirs.ok()) << theirs.error;
    EXPECT_EQ(theirs.lines, lines);
}
#endif
