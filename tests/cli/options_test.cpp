#include "cli/options.h"

#include <gtest/gtest.h>

namespace dorvik::cli {
namespace {

Options make(Command c, const std::string &file) {
    Options o;
    o.command = c;
    o.file = file;
    return o;
}

struct Accepted {
    std::vector<std::string> args;
    Options expected;
};

class ParseAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(ParseAccepts, GivesTheOptions) {
    const ParsedArguments p = parseArguments(GetParam().args);
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(*p.options, GetParam().expected);
}

Accepted with(std::vector<std::string> args, Options o) {
    return {std::move(args), std::move(o)};
}

Options split(const std::string &file, std::optional<int> n = {},
              std::optional<std::string> d = {}) {
    Options o = make(Command::Split, file);
    o.pieces = n;
    o.directory = std::move(d);
    return o;
}

Options floppy(Options o, std::string dir = {}) {
    o.floppy = true;
    o.floppyDirectory = std::move(dir);
    return o;
}

Options yesQuiet(Options o, bool yes, bool quiet) {
    o.yes = yes;
    o.quiet = quiet;
    return o;
}

Options joinDelete(const std::string &file, std::optional<std::string> d) {
    Options o = make(Command::Join, file);
    o.directory = std::move(d);
    o.deletePieces = true;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseAccepts,
    ::testing::Values(
        with({"split", "a.bin"}, split("a.bin")),
        with({"split", "a.bin", "-n", "7"}, split("a.bin", 7)),
        with({"split", "-n7", "a.bin"}, split("a.bin", 7)),
        with({"--pieces=99", "split", "a.bin"}, split("a.bin", 99)),
        with({"split", "a.bin", "-d", "out"}, split("a.bin", {}, "out")),
        with({"split", "a.bin", "-dout"}, split("a.bin", {}, "out")),
        with({"split", "a.bin", "--directory=out dir"}, split("a.bin", {}, "out dir")),
        with({"split", "a.bin", "--floppy"}, floppy(split("a.bin"))),
        with({"split", "a.bin", "--floppy=/mnt/f"}, floppy(split("a.bin"), "/mnt/f")),
        with({"split", "a.bin", "-y", "-q"}, yesQuiet(split("a.bin"), true, true)),
        with({"split", "--yes", "--quiet", "a.bin"}, yesQuiet(split("a.bin"), true, true)),
        // "--" lets a file name start with a dash.
        with({"split", "--", "-n"}, split("-n")), with({"split", "-"}, split("-")),
        with({"join", "a.000"}, make(Command::Join, "a.000")),
        with({"join", "a.000", "--delete", "-d", "t"}, joinDelete("a.000", "t")),
        with({"check", "a.000"}, make(Command::Check, "a.000")),
        with({"check", "-q", "a.000"}, yesQuiet(make(Command::Check, "a.000"), false, true)),
        // --help and --version win over anything, even a bad command line.
        with({"split", "--bogus", "--help"}, Options{}), with({"-h"}, Options{}),
        with({"join", "--version", "-n", "1"}, make(Command::Version, ""))));

struct Refused {
    std::vector<std::string> args;
    std::string says; // part of the error
};

class ParseRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(ParseRefuses, SaysWhy) {
    const ParsedArguments p = parseArguments(GetParam().args);
    EXPECT_FALSE(p.options);
    EXPECT_NE(p.error.find(GetParam().says), std::string::npos) << p.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseRefuses,
    ::testing::Values(Refused{{}, "no command"}, Refused{{"cut", "a"}, "unknown command 'cut'"},
                      Refused{{"split"}, "split needs a file"},
                      Refused{{"split", "a", "b"}, "'b' is one too many"},
                      Refused{{"split", ""}, "empty"},
                      Refused{{"split", "a", "-n"}, "-n needs a value"},
                      Refused{{"split", "a", "-n", "1"}, "from 2 to 99, not '1'"},
                      Refused{{"split", "a", "-n", "100"}, "not '100'"},
                      Refused{{"split", "a", "-n", "5x"}, "not '5x'"},
                      Refused{{"split", "a", "-n", "+5"}, "not '+5'"},
                      Refused{{"split", "a", "-d", ""}, "empty"},
                      Refused{{"split", "a", "--floppy="}, "empty"},
                      Refused{{"split", "a", "--delete"}, "--delete applies to join only"},
                      Refused{{"join", "a.000", "-n", "3"}, "-n applies to split only"},
                      Refused{{"check", "a.000", "-d", "x"}, "-d does not apply to check"},
                      Refused{{"split", "a", "-x"}, "unknown option '-x'"},
                      Refused{{"split", "a", "--", "--help"}, "one too many"}));

} // namespace
} // namespace dorvik::cli
