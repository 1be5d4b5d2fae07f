#include "cli/options.h"

#include "platform/drives.h"

#include <charconv>

#ifndef DORVIK_VERSION
#error "DORVIK_VERSION must be defined by the build"
#endif

namespace dorvik::cli {

namespace {

// A piece count as typed: plain decimal digits, 2 to 99.
std::optional<int> pieceCount(const std::string &text) {
    int n = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || ptr != end || text[0] == '+' || text[0] == '-')
        return std::nullopt;
    if (n < 2 || n > 99)
        return std::nullopt;
    return n;
}

bool isHelp(const std::string &a) {
    return a == "-h" || a == "--help";
}

// The short options that take a value.
bool takesValue(char letter) {
    return letter == 'n' || letter == 'd';
}

// `args` with bundled short options taken apart, as getopt does: "-qy" is
// "-q -y"; at a letter that takes a value the rest of the bundle is that
// value ("-qn5" is "-q -n5", "-qd/tmp" is "-q -d/tmp"), and a bundle ending
// in it takes the next argument ("-qn 5"), which is passed on untouched.
// Nothing after "--" is taken apart.
std::vector<std::string> unbundled(const std::vector<std::string> &args) {
    std::vector<std::string> out;
    bool valueNext = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool bundle = a.size() > 2 && a[0] == '-' && a[1] != '-';
        if (valueNext) {
            out.push_back(a);
            valueNext = false;
            continue;
        }
        if (a == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (!bundle) {
            out.push_back(a);
            valueNext = a == "-n" || a == "-d" || a == "--pieces" || a == "--directory";
            continue;
        }
        for (std::size_t k = 1; k < a.size(); ++k) {
            if (takesValue(a[k])) {
                out.push_back("-" + a.substr(k));
                valueNext = k + 1 == a.size();
                break;
            }
            out.push_back(std::string("-") + a[k]);
        }
    }
    return out;
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string> &given) {
    const std::vector<std::string> args = unbundled(given);
    ParsedArguments result;
    auto error = [&](std::string text) {
        result.error = std::move(text);
        return result;
    };

    // --help and --version win wherever they stand (before "--").
    for (const std::string &a : args) {
        if (a == "--")
            break;
        if (isHelp(a))
            return {Options{}, {}};
    }
    for (const std::string &a : args) {
        if (a == "--")
            break;
        if (a == "--version") {
            Options o;
            o.command = Command::Version;
            return {o, {}};
        }
    }

    Options o;
    std::vector<std::string> operands;
    // Which options were used, for the check against the command afterwards.
    std::vector<std::string> splitOnly, joinOnly, notForCheck;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        // An option with a value: "-n 5", "-n5", "--pieces 5", "--pieces=5".
        auto value = [&](const std::string &shortName, const std::string &longName,
                         std::optional<std::string> &out) -> bool {
            if (a == shortName || a == longName) {
                if (i + 1 >= args.size()) {
                    result.error = a + " needs a value";
                    return true;
                }
                out = args[++i];
                return true;
            }
            if (a.rfind(longName + "=", 0) == 0) {
                out = a.substr(longName.size() + 1);
                return true;
            }
            if (a.size() > 2 && a.rfind(shortName, 0) == 0 && a[1] != '-') {
                out = a.substr(2);
                return true;
            }
            return false;
        };
        std::optional<std::string> v;
        if (value("-n", "--pieces", v)) {
            if (!result.error.empty())
                return result;
            const std::optional<int> n = pieceCount(*v);
            if (!n)
                return error("the piece count must be a number from 2 to 99, not '" + *v + "'");
            o.pieces = n;
            splitOnly.push_back("-n");
        } else if (value("-d", "--directory", v)) {
            if (!result.error.empty())
                return result;
            if (v->empty())
                return error("the directory given with -d is empty");
            o.directory = *v;
            notForCheck.push_back("-d");
        } else if (a == "--floppy") {
            o.floppy = true;
            splitOnly.push_back("--floppy");
        } else if (a.rfind("--floppy=", 0) == 0) {
            o.floppy = true;
            o.floppyDirectory = a.substr(9);
            if (o.floppyDirectory.empty())
                return error("the directory given with --floppy= is empty");
            splitOnly.push_back("--floppy");
        } else if (a == "--delete") {
            o.deletePieces = true;
            joinOnly.push_back("--delete");
        } else if (a == "-y" || a == "--yes") {
            o.yes = true;
            notForCheck.push_back(a);
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else {
            return error("unknown option '" + a + "'");
        }
    }

    if (operands.empty())
        return error("no command given (split, join or check)");
    const std::string &command = operands[0];
    if (command == "split")
        o.command = Command::Split;
    else if (command == "join")
        o.command = Command::Join;
    else if (command == "check")
        o.command = Command::Check;
    else
        return error("unknown command '" + command + "' (split, join or check)");
    if (operands.size() < 2)
        return error(command + " needs a file");
    if (operands.size() > 2)
        return error("one file only; '" + operands[2] + "' is one too many");
    o.file = operands[1];
    if (o.file.empty())
        return error("the file name is empty");

    if (o.command != Command::Split && !splitOnly.empty())
        return error(splitOnly.front() + " applies to split only");
    if (o.command != Command::Join && !joinOnly.empty())
        return error(joinOnly.front() + " applies to join only");
    if (o.command == Command::Check && !notForCheck.empty())
        return error(notForCheck.front() + " does not apply to check");
    result.options = o;
    return result;
}

std::string helpText() {
    std::string text =
        R"(Usage: dorvik-cli split FILE [-n N] [-d DIR] [--floppy[=DIR]] [--yes] [--quiet]
       dorvik-cli join FILE.000 [-d DIR] [--delete] [--yes] [--quiet]
       dorvik-cli check FILE.000 [--quiet]
       dorvik-cli --help | --version

Cuts a file into 2 to 99 numbered pieces, and joins such pieces back into the
file they came from, byte for byte.

Commands:
  split FILE      write the pieces of FILE: the last three characters of its
                  name give way to the numbers 000, 001, ... (report.doc gives
                  report.000, report.001, ...); the first piece records the
                  piece count and the three characters. Pieces of the same
                  names are replaced
  join FILE.000   rebuild the file from the set whose first piece is FILE.000,
                  beside the pieces, replacing a file of its name
  check FILE.000  check the set as join does before it writes (every piece
                  present, of the right size) and tell what join would
                  rebuild; writes nothing

Options:
  -n, --pieces=N  split into N pieces, 2 to 99; each must hold at least 30000
                  bytes. Default: as many as the 1.4 MB floppy disks the file
                  needs, but at least 2 and at most 99
  -d, --directory=DIR
                  split: where the pieces go, made if missing (default:
                  FILE's directory); join: also copy the rebuilt file into
                  DIR (default: the pieces' directory, no copy)
  --floppy[=DIR]  split: afterwards copy the pieces to floppy disks, one per
                  disk, into DIR (default: @FLOPPY@), asking for each
                  disk in turn; a piece that cannot be copied can be retried
                  or skipped. Only with --floppy is there the question whether
                  to go on when the pieces are larger than a floppy disk
  --delete        join: delete the pieces once the file is rebuilt
  -y, --yes       answer OK to every question instead of asking: each disk
                  and the warning about pieces too large for a disk. Never
                  retries a failed copy: without a terminal that piece is
                  skipped
  -q, --quiet     show no progress and no success message (errors still show);
                  check: print nothing, tell by the exit status only
  -h, --help      show this help and exit
      --version   show the version and exit

Questions are asked on the terminal. Without one, a question that --yes does
not answer stops the run, naming --yes; nothing is left half written.
Ctrl+C (or SIGTERM, SIGHUP) stops a split or join and removes what it had
half written; files that were there before stay as they were.

Exit status: 0 done; 1 refused (a usage error, a file that cannot be split, a
set that is not whole, an unanswered question); 2 cancelled; 3 failed (a file
could not be read or written, or a piece did not reach its disk).
)";
    text.replace(text.find("@FLOPPY@"), 8, platform::floppyDirectory());
    return text;
}

std::string versionText() {
    return std::string("dorvik-cli ") + DORVIK_VERSION;
}

} // namespace dorvik::cli
