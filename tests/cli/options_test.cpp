#include "cli/options.h"

#include <gtest/gtest.h>

namespace dorvik::cli {
namespace {

// The options as a short line: the command, the file, and what differs from the defaults.
std::string shown(const Options &o) {
    const char *commands[] = {"help", "version", "split", "join", "check"};
    std::string s = commands[static_cast<int>(o.command)] + (" '" + o.file + "'");
    if (o.pieces)
        s += " -n" + std::to_string(*o.pieces);
    if (o.bytes)
        s += " -b" + std::to_string(*o.bytes);
    if (o.directory)
        s += " -d'" + *o.directory + "'";
    if (o.floppy || !o.floppyDirectory.empty())
        s += std::string(o.floppy ? " --floppy" : " ") + "='" + o.floppyDirectory + "'";
    return s + (o.checksums ? "" : " --no-checksum") + (o.deletePieces ? " --delete" : "") +
           (o.yes ? " -y" : "") + (o.quiet ? " -q" : "");
}

// The options read from each command line, or the error; each row tests a rule of its own.
TEST(ParseArguments, AcceptsOrSaysWhyNot) {
    const std::pair<std::vector<std::string>, std::string> table[] = {
        {{"split", "a.bin"}, "split 'a.bin'"},
        // A value attached; --floppy does not take the next word as its directory.
        {{"split", "-n7", "--floppy", "a.bin"}, "split 'a.bin' -n7 --floppy=''"},
        // An option before the command; a value as the next word, blanks kept.
        {{"--pieces=99", "split", "a.bin", "-d", "out dir"}, "split 'a.bin' -n99 -d'out dir'"},
        {{"split", "a.bin", "--floppy=/mnt/f", "--yes", "-q"},
         "split 'a.bin' --floppy='/mnt/f' -y -q"},
        // "--" lets a file name start with a dash; "-" alone is a file name.
        {{"split", "-y", "--quiet", "--", "-n"}, "split '-n' -y -q"},
        {{"split", "-"}, "split '-'"},
        {{"join", "a.000", "--delete", "-d", "t"}, "join 'a.000' -d't' --delete"},
        {{"split", "a.bin", "--no-checksum"}, "split 'a.bin' --no-checksum"},
        // Sizes in coreutils' units: K, M, G, T of 1024, KB ... of 1000.
        {{"split", "a", "-b", "4G"}, "split 'a' -b4294967296"},
        {{"split", "a", "--bytes=25MB"}, "split 'a' -b25000000"},
        {{"split", "a", "-b1KiB"}, "split 'a' -b1024"},
        {{"split", "a", "-b", "30000"}, "split 'a' -b30000"},
        {{"split", "a", "-b", "8EB"},
         "the size given with -b must be a number of bytes, with K, "
         "M, G or T (powers of 1024) or KB, MB, GB or TB (powers of "
         "1000), not '8EB'"},
        {{"split", "a", "-b", "10000000TB"},
         "the size given with -b must be a number of bytes, "
         "with K, M, G or T (powers of 1024) or KB, MB, GB or "
         "TB (powers of 1000), not '10000000TB'"},
        {{"split", "a", "-b", "0"},
         "the size given with -b must be a number of bytes, with K, M, "
         "G or T (powers of 1024) or KB, MB, GB or TB (powers of "
         "1000), not '0'"},
        {{"split", "a", "-b", "1M", "-n", "3"},
         "-n and -b exclude each other: give the piece count or the piece size"},
        {{"join", "a.000", "-b", "1M"}, "-b applies to split only"},
        {{"join", "a.000", "--no-checksum"}, "--no-checksum applies to split only"},
        {{"check", "-q", "a.000"}, "check 'a.000' -q"},
        // Short options bundled as with getopt: a letter that takes a value
        // takes the rest of the bundle, or the next word, whatever it holds.
        {{"split", "-qy", "a.bin"}, "split 'a.bin' -y -q"},
        {{"split", "-yqn5", "a.bin"}, "split 'a.bin' -n5 -y -q"},
        {{"split", "a.bin", "-qb", "25MB"}, "split 'a.bin' -b25000000 -q"},
        {{"split", "a.bin", "-qd", "-yq"}, "split 'a.bin' -d'-yq' -q"},
        {{"split", "a.bin", "-qdn"}, "split 'a.bin' -d'n' -q"},
        {{"split", "--", "-qy"}, "split '-qy'"},
        {{"split", "a", "-qh"}, "help ''"},
        {{"split", "a", "-qx"}, "unknown option '-x'"},
        {{"split", "a", "-qn"}, "-n needs a value"},
        // --help and --version win over anything, even a bad command line.
        {{"split", "--bogus", "--help"}, "help ''"},
        {{"join", "--version", "-n", "1"}, "version ''"},
        // Refused.
        {{}, "no command given (split, join or check)"},
        {{"cut", "a"}, "unknown command 'cut' (split, join or check)"},
        {{"split"}, "split needs a file"},
        {{"split", "a", "b"}, "one file only; 'b' is one too many"},
        {{"split", "a", "--", "--help"}, "one file only; '--help' is one too many"},
        {{"split", ""}, "the file name is empty"},
        {{"split", "a", "--floppy="}, "the directory given with --floppy= is empty"},
        {{"split", "a", "-n"}, "-n needs a value"},
        {{"split", "a", "-n", "1"}, "the piece count must be a number from 2 to 99, not '1'"},
        {{"split", "a", "-n", "100"}, "the piece count must be a number from 2 to 99, not '100'"},
        {{"split", "a", "-n", "5x"}, "the piece count must be a number from 2 to 99, not '5x'"},
        {{"split", "a", "--delete"}, "--delete applies to join only"},
        {{"join", "a.000", "-n", "3"}, "-n applies to split only"},
        {{"check", "a.000", "-d", "x"}, "-d does not apply to check"},
        {{"split", "a", "-x"}, "unknown option '-x'"},
    };
    for (const auto &[args, expected] : table) {
        const ParsedArguments p = parseArguments(args);
        EXPECT_EQ(p.options ? shown(*p.options) : p.error, expected)
            << ::testing::PrintToString(args);
    }
}

} // namespace
} // namespace dorvik::cli
