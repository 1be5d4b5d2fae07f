#include "cli/options.h"

#include "platform/drives.h"

#include <charconv>
#include <cstring>
#include <limits>

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

// The factor of a size's unit, as coreutils spells them; 0 for none known.
std::int64_t unitFactor(const std::string &unit) {
    static const char letters[] = "KMGT";
    if (unit.empty())
        return 1;
    const char *at = unit[0] == 'k' ? letters : std::strchr(letters, unit[0]);
    if (!at || *at == '\0')
        return 0;
    const int power = static_cast<int>(at - letters) + 1;
    const std::string rest = unit.substr(1);
    const std::int64_t base = rest == "B" ? 1000 : (rest.empty() || rest == "iB") ? 1024 : 0;
    std::int64_t factor = base ? 1 : 0;
    for (int i = 0; i < power; ++i)
        factor *= base;
    return factor;
}

bool isHelp(const std::string &a) {
    return a == "-h" || a == "--help";
}

// The short options that take a value.
bool takesValue(char letter) {
    return letter == 'n' || letter == 'b' || letter == 'd';
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
            valueNext = (a.size() == 2 && takesValue(a[1])) || a == "--pieces" || a == "--bytes" ||
                        a == "--directory";
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

std::optional<std::int64_t> parseSize(const std::string &text) {
    std::int64_t n = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || text[0] == '+' || text[0] == '-' || n <= 0)
        return std::nullopt;
    const std::int64_t factor = unitFactor(std::string(ptr, end));
    if (factor == 0 || n > std::numeric_limits<std::int64_t>::max() / factor)
        return std::nullopt;
    return n * factor;
}

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
        } else if (value("-b", "--bytes", v)) {
            if (!result.error.empty())
                return result;
            o.bytes = parseSize(*v);
            if (!o.bytes)
                return error("the size given with -b must be a number of bytes, with K, M, G or T "
                             "(powers of 1024) or KB, MB, GB or TB (powers of 1000), not '" +
                             *v + "'");
            splitOnly.push_back("-b");
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
        } else if (a == "--no-checksum") {
            o.checksums = false;
            splitOnly.push_back(a);
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
    if (o.pieces && o.bytes)
        return error("-n and -b exclude each other: give the piece count or the piece size");
    if (o.command != Command::Join && !joinOnly.empty())
        return error(joinOnly.front() + " applies to join only");
    if (o.command == Command::Check && !notForCheck.empty())
        return error(notForCheck.front() + " does not apply to check");
    result.options = o;
    return result;
}

std::string helpText() {
    std::string text =
        R"(Usage: dorvik-cli split FILE [-n N | -b SIZE] [-d DIR] [--floppy[=DIR]]
                        [--no-checksum] [--yes] [--quiet]
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
                  names are replaced. Beside them goes FILE.000.sha256 (here
                  report.000.sha256), the SHA-256 of every piece and of FILE
                  in the format of sha256sum -c
  join FILE.000   rebuild the file from the set whose first piece is FILE.000,
                  beside the pieces, replacing a file of its name. Where the
                  set has its .sha256 file, every piece and the rebuilt file
                  are checked against it before anything is written or deleted
  check FILE.000  read the whole set as join does and tell what join would
                  rebuild: every piece present, readable and of the right
                  size, and with a .sha256 file every checksum right; writes
                  nothing, and ends as join would

Options:
  -n, --pieces=N  split into N pieces, 2 to 99; each must hold at least 30000
                  bytes. Default: as many as the 1.4 MB floppy disks the file
                  needs, but at least 2 and at most 99
  -b, --bytes=SIZE
                  split into as few pieces as keep every piece file (the
                  first with its trailer, the last with its tail) at most SIZE
                  bytes: K, M, G, T are powers of 1024, KB, MB, GB, TB of
                  1000 (25MB: pieces that a mail of 25 MB can carry)
  -d, --directory=DIR
                  split: where the pieces go, made if missing (default:
                  FILE's directory); join: also copy the rebuilt file into
                  DIR (default: the pieces' directory, no copy)
  --floppy[=DIR]  split: afterwards copy the pieces to disks, one per disk,
                  asking for each disk in turn, into DIR or else onto the
                  removable disk mounted then: @FLOPPY@ when mounted, else
                  the one disk under /media or /run/media (none or several:
                  asked again). A piece that cannot be copied can be retried
                  or skipped. Only with --floppy is there the question whether
                  to go on when the pieces are larger than a floppy disk
  --no-checksum   split: write no .sha256 file (a join then checks sizes only)
  --delete        join: delete the pieces (and their .sha256 file) once the
                  file is rebuilt
  -y, --yes       answer OK to every question instead of asking: each disk,
                  the warning about pieces too large for a disk and the one
                  about too little free space. Never retries a failed copy:
                  without a terminal that piece is skipped
  -q, --quiet     show no progress and no success message (errors still show);
                  check: print nothing, tell by the exit status only
  -h, --help      show this help and exit
      --version   show the version and exit

Before writing, split and join check the volumes they write on: a file
larger than the file system holds (FAT: 4 GiB - 1 byte) is refused; too
little free space is a question.

Questions are asked on the terminal. Without one, a question that --yes does
not answer stops the run, naming --yes; nothing is left half written.
Ctrl+C (or SIGTERM, SIGHUP) stops a split or join and removes what it had
half written; files that were there before stay as they were.

Exit status: 0 done; 1 refused (a usage error, a file that cannot be split or
is too large for the file system it goes to, a set that is not whole or does
not match its checksums, an unanswered question); 2 cancelled; 3 failed (a
file could not be read or written, or a piece did not reach its disk).
)";
    text.replace(text.find("@FLOPPY@"), 8, platform::floppyDirectory());
    return text;
}

std::string versionText() {
    return std::string("dorvik-cli ") + DORVIK_VERSION;
}

} // namespace dorvik::cli
