// dorvik_bench: times split and join against cp and the other ways of moving
// the same bytes on the same file system.
//
//   dorvik_bench [--size BYTES] [--dir DIR] [--runs K] [--method auto|splice|kernel|buffered]
//                [--pieces N,N...] [--steps KIND,KIND...] [--cold] [--seed S]
//                [--verbose]
//
// Makes a file of BYTES bytes (default 1 GiB) of non-repeating data in DIR
// (default: a new directory under /var/tmp) and runs K rounds (default 7).
// A round runs every step once; the orders come from a balanced Latin
// square, so over the rounds every step runs in every place and after every
// other step equally often (--seed shuffles which step is which). Before its
// timed part every step deletes the output it made in the previous round,
// then the whole system is synced (and with --cold the page cache dropped),
// so each step starts from the same state: its input on disk (and, warm, in
// the page cache), the memory of a large deletion at hand, nothing dirty.
//
// The steps (KIND in brackets; the last five for each piece count N):
//   copy (in-process)   [copy]    the platform layer's whole-file copy
//   cp                  [cp]      a cp process
//   cp --reflink=never  [cprw]    a cp process that reads and writes (not by default)
//   split N             [split]   the engine's split into N pieces
//   join N              [join]    the engine's join of those pieces
//   join N, delete      [joindel] the join that then deletes the pieces (a fresh
//                                 set made by an untimed split just before)
//   split -n N          [csplit]  a coreutils split process into N pieces
//   cat N pieces        [cat]     a cat process joining those into one file
// It prints per step the median time and MB/s, and the ratio of its time to
// cp's and to the in-process copy's, computed round by round (median, min,
// max of the rounds). The outputs of the last round are checked against the
// source byte for byte; everything made is removed at the end.

#include "platform/fs.h"
#include "platform/prompter.h"
#include "splitter/engine/format.h"
#include "splitter/engine/operations.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

using namespace dorvik;

// The copy paths --method can force, by name.
constexpr std::pair<const char *, platform::CopyMethod> kMethods[] = {
    {"auto", platform::CopyMethod::Auto},
    {"splice", platform::CopyMethod::Splice},
    {"kernel", platform::CopyMethod::Kernel},
    {"buffered", platform::CopyMethod::Buffered},
};

std::optional<platform::CopyMethod> methodNamed(const std::string &name) {
    for (const auto &[n, m] : kMethods)
        if (name == n)
            return m;
    return std::nullopt;
}

const char *methodName(platform::CopyMethod method) {
    for (const auto &[n, m] : kMethods)
        if (m == method)
            return n;
    return "?";
}

// Answers every question with OK and shows nothing.
class SilentPrompter : public platform::Prompter {
public:
    platform::Answer ask(const platform::Message &) override { return platform::Answer::Ok; }
};

// The directory the benchmark made (removed on every exit), "" when the
// caller named one.
std::string g_madeDirectory;

void removeTree(const std::string &path);

// Reports `what` on stderr, removes the directory the benchmark made, exits 1.
[[noreturn]] void die(const std::string &what) {
    std::fprintf(stderr, "dorvik_bench: %s\n", what.c_str());
    if (!g_madeDirectory.empty()) {
        const std::string dir = g_madeDirectory;
        g_madeDirectory.clear(); // a failure while removing ends here
        removeTree(dir);
    }
    std::exit(1);
}

// Dies with the status's message when it failed.
void check(const platform::Status &s) {
    if (!s)
        die(s.message());
}

// Removes `path`; a file that is not there counts as removed.
void removeIfThere(const std::string &path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        die(path + ": " + std::strerror(errno));
}

// Removes `path` and, when it is a directory, everything below it.
void removeTree(const std::string &path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            die(path + ": " + std::strerror(errno));
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        removeIfThere(path);
        return;
    }
    std::vector<std::string> names;
    if (DIR *d = ::opendir(path.c_str())) {
        while (dirent *e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    } else {
        die(path + ": " + std::strerror(errno));
    }
    for (const std::string &n : names)
        removeTree(path + "/" + n);
    if (::rmdir(path.c_str()) != 0)
        die(path + ": " + std::strerror(errno));
}

// Writes `size` bytes of xorshift data (no two blocks alike, no zeros to
// skip), 1 MiB at a time.
void makeSource(const std::string &path, std::int64_t size) {
    platform::Directory dir;
    check(dir.open(platform::directoryOf(path)));
    platform::NewFile made;
    check(made.create(dir, platform::fileNameOf(path)));
    platform::File &f = made.file();
    std::vector<std::uint64_t> chunk((1 << 20) / 8);
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::int64_t at = 0; at < size;) {
        for (auto &w : chunk) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            w = x;
        }
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(size - at, static_cast<std::int64_t>(chunk.size() * 8)));
        check(f.writeAt(at, chunk.data(), n));
        at += static_cast<std::int64_t>(n);
    }
    check(made.putInPlace(platform::Flush::None));
}

// Compares two files, 1 MiB at a time, as cmp would; false when either is
// missing or their lengths differ.
bool sameContents(const std::string &a, const std::string &b) {
    platform::File fa, fb;
    if (!fa.open(a) || !fb.open(b))
        return false;
    const auto la = fa.length(), lb = fb.length();
    if (!la || !lb || *la != *lb)
        return false;
    std::vector<char> x(1 << 20), y(1 << 20);
    for (std::int64_t at = 0; at < *la;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(*la - at, static_cast<std::int64_t>(x.size())));
        check(fa.readAt(at, x.data(), n));
        check(fb.readAt(at, y.data(), n));
        if (std::memcmp(x.data(), y.data(), n) != 0)
            return false;
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

// Full path of the executable `name` found along PATH, or "" when there is
// none.
std::string findProgram(const std::string &name) {
    const char *path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0 && platform::isRegularFile(candidate))
            return candidate;
    }
    return "";
}

// Runs the program argv[0] (a full path) with `argv` and waits for it; its
// standard output goes to the new file `stdoutPath` when that is not empty.
// Dies when it cannot be started or does not exit with 0.
void runProcess(const std::vector<std::string> &argv, const std::string &stdoutPath = "") {
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (int e = ::posix_spawn_file_actions_init(&actions); e != 0)
        die("posix_spawn_file_actions_init: " + std::string(std::strerror(e)));
    if (!stdoutPath.empty()) {
        if (int e = ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
            e != 0)
            die(stdoutPath + ": " + std::strerror(e));
    }
    pid_t pid = 0;
    const int e = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (e != 0)
        die(argv[0] + ": " + std::strerror(e));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            die("waitpid: " + std::string(std::strerror(errno)));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die(argv[0] + ": " +
            (WIFEXITED(status) ? "exited with " + std::to_string(WEXITSTATUS(status))
                               : "killed by signal " + std::to_string(WTERMSIG(status))));
}

// Drops the clean page cache (the caller has synced). Needs root.
platform::Status dropPageCache() {
    const char path[] = "/proc/sys/vm/drop_caches";
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return platform::Status::fromErrno(path, errno);
    const bool written = ::write(fd, "3\n", 2) == 2;
    const int writeErrno = errno;
    ::close(fd);
    return written ? platform::Status() : platform::Status::fromErrno(path, writeErrno);
}

// Median of `v` (the mean of the middle two for an even count); v not empty.
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One timed step of a round.
struct Step {
    std::string name;
    std::function<void()> prepare;        // untimed, before the output is deleted
    std::vector<std::string> outputs;     // what the step made last round
    std::function<void()> run;            // the timed part
    std::vector<std::string> checkEquals; // outputs that must equal the source
    std::vector<double> times;            // seconds, one per round
};

// The order of round `round` (from 0) over `n` steps: row round mod n of a
// balanced Latin square (0, 1, n-1, 2, n-2, ... shifted by the row), and for
// an odd n in every second run of n rounds that row reversed, so that each
// step follows each other step equally often.
std::vector<std::size_t> roundOrder(std::size_t n, int round) {
    const std::size_t row = static_cast<std::size_t>(round) % n;
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t base = k % 2 ? (k + 1) / 2 : (n - k / 2) % n;
        order.push_back((base + row) % n);
    }
    if (n % 2 && (static_cast<std::size_t>(round) / n) % 2)
        std::reverse(order.begin(), order.end());
    return order;
}

// Splits a comma-separated list of piece counts; empty when one is no number.
std::vector<int> parseCounts(const std::string &text) {
    std::vector<int> counts;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char *end = nullptr;
        const long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0')
            return {};
        counts.push_back(static_cast<int>(n));
    }
    return counts;
}

const char kUsage[] =
    "usage: dorvik_bench [--size BYTES] [--dir DIR] [--runs K] "
    "[--method auto|splice|kernel|buffered] [--pieces N,N...] [--steps KIND,KIND...] "
    "[--cold] [--seed S] [--verbose]\n"
    "  KIND: copy cp cprw split join joindel csplit cat "
    "(default: all but cprw)";

} // namespace

int main(int argc, char **argv) {
    std::int64_t size = 1LL << 30;
    std::string dir;
    int runs = 7;
    platform::CopyMethod method = platform::CopyMethod::Auto;
    std::vector<int> counts = {7, 99};
    std::vector<std::string> kinds = {"copy", "cp", "split", "join", "joindel", "csplit", "cat"};
    bool cold = false, verbose = false;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cold" || arg == "--verbose") {
            (arg == "--cold" ? cold : verbose) = true;
            continue;
        }
        if (i + 1 >= argc)
            die(kUsage);
        const std::string value = argv[++i];
        if (arg == "--size")
            size = std::strtoll(value.c_str(), nullptr, 10);
        else if (arg == "--dir")
            dir = value;
        else if (arg == "--runs")
            runs = std::atoi(value.c_str());
        else if (arg == "--method" && methodNamed(value))
            method = *methodNamed(value);
        else if (arg == "--pieces")
            counts = parseCounts(value);
        else if (arg == "--seed")
            seed = std::strtoull(value.c_str(), nullptr, 10);
        else if (arg == "--steps") {
            kinds.clear();
            std::stringstream in(value);
            for (std::string k; std::getline(in, k, ',');)
                kinds.push_back(k);
        } else
            die(kUsage);
    }
    static const std::vector<std::string> kKnownKinds = {"copy", "cp",      "cprw",   "split",
                                                         "join", "joindel", "csplit", "cat"};
    for (const std::string &k : kinds)
        if (std::find(kKnownKinds.begin(), kKnownKinds.end(), k) == kKnownKinds.end())
            die("unknown step kind \"" + k + "\"\n" + kUsage);
    auto wanted = [&](const std::string &kind) {
        return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
    };
    if (runs < 1)
        die("--runs must be at least 1");
    if (counts.empty())
        die("--pieces needs piece counts, as in 7,99");
    for (int n : counts)
        if (n < engine::kMinPieces || n > engine::kMaxPieces || !engine::layout(size, n))
            die("a split of --size " + std::to_string(size) + " into " + std::to_string(n) +
                " pieces is not possible (2 to 99 pieces of at least 30000 bytes)");
    if (cold) {
        ::sync();
        if (platform::Status s = dropPageCache(); !s)
            die("--cold cannot drop the page cache (" + s.message() +
                "); it needs root and a writable /proc/sys/vm");
    }

    // The peers; a missing program's steps are skipped, and said so.
    const std::string cp = findProgram("cp"), coreSplit = findProgram("split"),
                      cat = findProgram("cat");
    for (auto [program, path, needed] :
         {std::tuple{"cp", &cp, wanted("cp") || wanted("cprw")},
          std::tuple{"split", &coreSplit, wanted("csplit") || wanted("cat")},
          std::tuple{"cat", &cat, wanted("cat")}})
        if (needed && path->empty())
            std::printf("%s: not found on PATH; its steps are skipped\n", program);

    if (dir.empty()) {
        std::string pattern = "/var/tmp/dorvik-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            die("/var/tmp: " + std::string(std::strerror(errno)));
        dir = pattern;
        g_madeDirectory = dir;
    } else {
        check(platform::makeDirectory(dir));
    }
    const std::string source = dir + "/bench.dat";
    double loadBefore[1] = {-1};
    (void)::getloadavg(loadBefore, 1);
    std::printf("making %lld bytes in %s\n", static_cast<long long>(size), dir.c_str());
    std::fflush(stdout);
    makeSource(source, size);

    // The requests are filled field by field (not positionally), so fields
    // added to them later keep their defaults here.
    SilentPrompter prompter;
    auto split = [&](const std::string &target, int pieces) {
        engine::SplitRequest r;
        r.sourcePath = source;
        r.targetDirectory = target;
        r.pieces = pieces;
        r.copyMethod = method;
        if (engine::split(r, prompter).outcome != engine::Outcome::Done)
            die("split into " + std::to_string(pieces) + " pieces in " + target + " failed");
    };
    auto join = [&](const std::string &set, bool deletePieces) {
        engine::JoinRequest r;
        r.firstPiecePath = set + "/" + engine::pieceName("bench.", 0);
        r.targetDirectory = set;
        r.deletePieces = deletePieces;
        r.copyMethod = method;
        if (engine::join(r, prompter).outcome != engine::Outcome::Done)
            die("join in " + set + " failed");
    };
    auto piecePaths = [](const std::string &prefix, int n) {
        std::vector<std::string> paths;
        for (int k = 0; k < n; ++k)
            paths.push_back(prefix + engine::pieceName("", k));
        return paths;
    };

    std::vector<Step> steps;
    if (wanted("copy")) {
        const std::string out = dir + "/copy.dat";
        steps.push_back({"copy (in-process)",
                         nullptr,
                         {out},
                         [=] { check(platform::copyFile(source, out)); },
                         {out},
                         {}});
    }
    if (wanted("cp") && !cp.empty()) {
        const std::string out = dir + "/cp.dat";
        steps.push_back({"cp", nullptr, {out}, [=] { runProcess({cp, source, out}); }, {out}, {}});
    }
    if (wanted("cprw") && !cp.empty()) {
        const std::string out = dir + "/cprw.dat";
        steps.push_back({"cp --reflink=never",
                         nullptr,
                         {out},
                         [=] {
                             runProcess({cp, "--reflink=never", source, out});
                         },
                         {out},
                         {}});
    }
    for (int n : counts) {
        const std::string N = std::to_string(n);
        // The engine's set: its pieces and the file joined from them.
        const std::string set = dir + "/set" + N;
        if (wanted("split") || wanted("join")) {
            check(platform::makeDirectory(set));
            split(set, n); // the join's input should it come first in round one
        }
        if (wanted("split"))
            steps.push_back({"split " + N,
                             nullptr,
                             piecePaths(set + "/bench.", n),
                             [=] { split(set, n); },
                             {},
                             {}});
        if (wanted("join"))
            steps.push_back({"join " + N,
                             nullptr,
                             {set + "/bench.dat"},
                             [=] { join(set, false); },
                             {set + "/bench.dat"},
                             {}});
        if (wanted("joindel")) {
            // Its pieces go, so each round makes a fresh set (untimed) before
            // the previous round's joined file is deleted.
            const std::string delSet = dir + "/del" + N;
            check(platform::makeDirectory(delSet));
            steps.push_back({"join " + N + ", delete",
                             [=] { split(delSet, n); },
                             {delSet + "/bench.dat"},
                             [=] { join(delSet, true); },
                             {delSet + "/bench.dat"},
                             {}});
        }
        // coreutils' split and cat of its pieces.
        const std::string coreSet = dir + "/core" + N;
        const std::vector<std::string> corePieces = piecePaths(coreSet + "/p.", n);
        std::vector<std::string> splitArgs = {coreSplit, "-n", N,      "-d",
                                              "-a",      "3",  source, coreSet + "/p."};
        if ((wanted("csplit") || wanted("cat")) && !coreSplit.empty()) {
            check(platform::makeDirectory(coreSet));
            runProcess(splitArgs);
        }
        if (wanted("csplit") && !coreSplit.empty())
            steps.push_back(
                {"split -n " + N, nullptr, corePieces, [=] { runProcess(splitArgs); }, {}, {}});
        if (wanted("cat") && !coreSplit.empty() && !cat.empty()) {
            std::vector<std::string> catArgs = {cat};
            catArgs.insert(catArgs.end(), corePieces.begin(), corePieces.end());
            const std::string out = coreSet + "/cat.dat";
            steps.push_back({"cat " + N + " pieces",
                             nullptr,
                             {out},
                             [=] { runProcess(catArgs, out); },
                             {out},
                             {}});
        }
    }
    if (steps.empty())
        die("no step left to time");

    // Rounds: every step once, the orders of a balanced Latin square over
    // steps shuffled by the seed, so every step runs once in each place and
    // right after each other step once every steps.size() rounds (twice that
    // for an odd count).
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    std::vector<std::size_t> label(steps.size());
    for (std::size_t i = 0; i < label.size(); ++i)
        label[i] = i;
    for (std::size_t i = label.size(); i > 1; --i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::swap(label[i - 1], label[x % i]);
    }
    for (int round = 0; round < runs; ++round) {
        const std::vector<std::size_t> order = roundOrder(steps.size(), round);
        if (verbose)
            std::printf("round %d:", round + 1);
        for (std::size_t i : order) {
            Step &s = steps[label[i]];
            if (s.prepare)
                s.prepare();
            for (const std::string &path : s.outputs)
                removeIfThere(path);
            ::sync();
            if (cold)
                check(dropPageCache());
            const auto start = std::chrono::steady_clock::now();
            s.run();
            s.times.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (verbose) {
                std::printf(" [%s %.3f]", s.name.c_str(), s.times.back());
                std::fflush(stdout);
            }
        }
        if (verbose)
            std::printf("\n");
    }
    rusage self{};
    const bool haveUsage = ::getrusage(RUSAGE_SELF, &self) == 0;
    double loadAfter[1] = {-1};
    (void)::getloadavg(loadAfter, 1);

    // Every output of the last round against the source; the consumed sets
    // must be gone.
    bool allEqual = true;
    for (const Step &s : steps)
        for (const std::string &path : s.checkEquals)
            if (!sameContents(source, path)) {
                std::printf("%s: %s differs from the source\n", s.name.c_str(), path.c_str());
                allEqual = false;
            }
    for (int n : counts)
        for (const std::string &piece : piecePaths(dir + "/del" + std::to_string(n) + "/bench.", n))
            if (wanted("joindel") && platform::exists(piece)) {
                std::printf("join %d, delete: %s is still there\n", n, piece.c_str());
                allEqual = false;
            }

    const Step *cpStep = nullptr, *copyStep = nullptr;
    for (const Step &s : steps) {
        if (s.name == "cp")
            cpStep = &s;
        if (s.name == "copy (in-process)")
            copyStep = &s;
    }
    // The reference's time over the step's, round by round (the step's speed
    // as a multiple of the reference's): median, min and max as text.
    auto ratios = [](const Step &s, const Step *ref) {
        if (!ref)
            return std::string("      -      -      -");
        std::vector<double> r;
        for (std::size_t i = 0; i < s.times.size(); ++i)
            r.push_back(ref->times[i] / s.times[i]);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, " %6.2f %6.2f %6.2f", median(r),
                      *std::min_element(r.begin(), r.end()), *std::max_element(r.begin(), r.end()));
        return std::string(buffer);
    };
    std::printf("\n%lld bytes, %d round%s, %s page cache, engine path %s\n",
                static_cast<long long>(size), runs, runs == 1 ? "" : "s", cold ? "cold" : "warm",
                methodName(method));
    std::printf("%-20s %8s %8s  %-20s  %-20s\n", "", "median", "", "x cp, per round",
                "x copy, per round");
    std::printf("%-20s %8s %8s  %6s %6s %6s  %6s %6s %6s\n", "step", "s", "MB/s", "median", "min",
                "max", "median", "min", "max");
    for (const Step &s : steps) {
        const double t = median(s.times);
        std::printf("%-20s %8.3f %8.1f %s %s\n", s.name.c_str(), t,
                    static_cast<double>(size) / t / 1e6, ratios(s, cpStep).c_str(),
                    ratios(s, copyStep).c_str());
    }
    if (haveUsage) // (a spawned child's peak would include ours from before its exec)
        std::printf("peak RSS of the benchmark: %ld KiB\n", self.ru_maxrss);
    // Other work on the machine shows in the spread of the ratios.
    std::printf("load average (1 min): %.2f before, %.2f after\n", loadBefore[0], loadAfter[0]);
    std::printf("outputs equal the source: %s\n", allEqual ? "yes" : "NO");

    if (!g_madeDirectory.empty()) {
        g_madeDirectory.clear();
        removeTree(dir);
    } else {
        // Only what the benchmark made; the named directory stays.
        removeIfThere(source);
        for (const Step &s : steps)
            for (const std::string &path : s.outputs)
                removeIfThere(path);
        for (int n : counts)
            for (const char *sub : {"/set", "/del", "/core"}) {
                const std::string d = dir + sub + std::to_string(n);
                if (platform::isDirectory(d))
                    removeTree(d);
            }
    }
    return allEqual ? 0 : 1;
}
