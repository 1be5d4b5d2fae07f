// dorvik_bench: times dorvik-cli's split and join, each a whole process,
// against cp and against coreutils' split and cat moving the same bytes.
//
//   dorvik_bench [--size BYTES] [--fs DIR] [--runs K] [--pieces N,N...]
//                [--steps KIND,KIND...] [--cli PATH] [--cold] [--seed S]
//                [--delete-sync none|dir|fs] [--verbose]
//
// Makes a file of BYTES bytes (default 1 GiB) of non-repeating data in a new
// directory under DIR (default /var/tmp; give a mount point to measure
// another file system) and measures every step in K pairs (default 9)
// against a cp of the same file: cp first in one pair, the step first in the
// next. A round measures one pair of every step, in an order --seed
// shuffles. Warm (the default), the inputs of both commands of a pair are
// read just before it; --cold drops the page cache (root only) before every
// timed unit instead.
//
// A timed unit: the process from its spawn to its exit, the flush of every
// file it wrote (the writeback of all started at once, then an fsync of each)
// and of their directories, then the deletion of those files and, by
// --delete-sync, the fsync of their directories (dir, the default), the sync
// of their file system (fs) or nothing (none). So every step pays for its
// writes and its deletion, as cp does.
//
// The steps (KIND in brackets; those from split on for each piece count N):
//   cp (noise)           [cp]      cp against cp: the machine's noise
//   cp --reflink=never   [cprw]    a cp that reads and writes (not by default)
//   split N              [split]   dorvik-cli split SRC -n N -d OUT -q
//   split N, no checksum [splitnc] the same with --no-checksum
//   join N               [join]    dorvik-cli join OUT/x.000 -q: rebuilds
//                                  beside the pieces of a set made untimed
//   join N, no checksum  [joinnc]  the same on a set without its .sha256 file
//   join N -d            [joind]   the join that also copies the rebuilt file
//                                  into another directory of the same volume
//   split -n N           [csplit]  coreutils split -n N SRC OUT/x.
//   cat N pieces         [cat]     cat of such pieces into one file
// The no-checksum steps are skipped, said in one line, when dorvik-cli does
// not know --no-checksum.
//
// Per step: the median seconds and MB/s, the per-pair ratios cp's time / the
// step's time (above 1: faster than cp) as median, min, max and quartiles,
// and the peak memory of its largest process. Every output of the last round
// is checked against the source before its deletion (untimed); the exit
// status is 1 when one differs. Everything made is removed at the end.

#include "platform/fs.h"
#include "platform/mounts.h"
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
#include <optional>
#include <set>
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

#ifndef DORVIK_CLI_PATH
#error "DORVIK_CLI_PATH must be defined by the build"
#endif

extern char **environ;

namespace {

using namespace dorvik;
using Clock = std::chrono::steady_clock;

// The directory the benchmark made (removed on every exit).
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

// Dies with "path: reason" from errno.
[[noreturn]] void dieErrno(const std::string &path) {
    die(path + ": " + std::strerror(errno));
}

// Removes `path`; a file that is not there counts as removed.
void removeIfThere(const std::string &path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        dieErrno(path);
}

// The full paths of the entries of `dir` (no "." and ".."), sorted by name.
std::vector<std::string> entriesOf(const std::string &dir) {
    std::vector<std::string> paths;
    DIR *d = ::opendir(dir.c_str());
    if (!d)
        dieErrno(dir);
    while (dirent *e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            paths.push_back(dir + "/" + n);
    }
    ::closedir(d);
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Removes `path` and, when it is a directory, everything below it.
void removeTree(const std::string &path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            dieErrno(path);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        for (const std::string &entry : entriesOf(path))
            removeTree(entry);
        if (::rmdir(path.c_str()) != 0)
            dieErrno(path);
    } else {
        removeIfThere(path);
    }
}

// Opens `path`, calls `sync` (fsync, syncfs) on it and closes it; dies on a
// failure.
void syncPath(const std::string &path, int (*sync)(int)) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        dieErrno(path);
    const bool synced = sync(fd) == 0;
    const int syncErrno = errno;
    ::close(fd);
    if (!synced) {
        errno = syncErrno;
        dieErrno(path);
    }
}

// fsync of the file or directory `path`.
void flush(const std::string &path) {
    syncPath(path, ::fsync);
}

// Flushes the files `paths` to the device: starts the writeback of all of
// them first, then waits for each with fsync, so that many small files cost
// one round of writes (and of journal commits), as one large file does.
void flushFiles(const std::vector<std::string> &paths) {
    std::vector<int> fds;
    auto fail = [&](const std::string &path) {
        const int e = errno;
        for (int fd : fds)
            ::close(fd);
        errno = e;
        dieErrno(path);
    };
    for (const std::string &path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            fail(path);
        fds.push_back(fd);
        if (::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) != 0)
            fail(path);
    }
    for (std::size_t i = 0; i < fds.size(); ++i)
        if (::fsync(fds[i]) != 0)
            fail(paths[i]);
    for (int fd : fds)
        ::close(fd);
}

// syncfs of the file system that holds `path`.
void flushFileSystem(const std::string &path) {
    syncPath(path, ::syncfs);
}

// Writes `size` bytes of xorshift data (no two blocks alike, no zeros to
// skip), 1 MiB at a time, and flushes them to the device.
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
    flush(path);
}

// Reads the files `paths` through once, so that they are in the page cache.
void readThrough(const std::vector<std::string> &paths) {
    std::vector<char> buffer(1 << 20);
    for (const std::string &path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            dieErrno(path);
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
        }
        const int readErrno = errno;
        ::close(fd);
        if (n < 0) {
            errno = readErrno;
            dieErrno(path);
        }
    }
}

// A stretch of a file that holds the source's next bytes: its first `length`
// bytes, or all of it when length is -1.
struct Segment {
    std::string path;
    std::int64_t length = -1;
};

// True when the segments one after the other hold exactly the bytes of
// `source`; a missing or short file counts as a difference.
bool holdsSource(const std::string &source, const std::vector<Segment> &segments) {
    platform::File src;
    check(src.open(source));
    const std::int64_t total = src.length().value_or(-1);
    std::vector<char> x(1 << 20), y(1 << 20);
    std::int64_t at = 0;
    for (const Segment &segment : segments) {
        platform::File f;
        if (!f.open(segment.path))
            return false;
        const std::int64_t length = f.length().value_or(-1);
        const std::int64_t used = segment.length < 0 ? length : segment.length;
        if (length < used || at + used > total)
            return false;
        for (std::int64_t done = 0; done < used;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(used - done, static_cast<std::int64_t>(x.size())));
            if (!f.readAt(done, x.data(), n))
                return false;
            check(src.readAt(at + done, y.data(), n));
            if (std::memcmp(x.data(), y.data(), n) != 0)
                return false;
            done += static_cast<std::int64_t>(n);
        }
        at += used;
    }
    return at == total;
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

// How a process ended, and the peak memory it used.
struct Exit {
    int status = 0; // as waitpid gives it
    long peakKiB = 0;
};

// Runs the program argv[0] (a full path) with `argv` and waits for it. Its
// standard output goes to the new file `stdoutPath` and its standard error
// to the new file `stderrPath`, when they are not empty. Dies when it cannot
// be started.
Exit spawn(const std::vector<std::string> &argv, const std::string &stdoutPath = "",
           const std::string &stderrPath = "") {
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (int e = ::posix_spawn_file_actions_init(&actions); e != 0)
        die("posix_spawn_file_actions_init: " + std::string(std::strerror(e)));
    for (auto [fd, path] : {std::pair{STDOUT_FILENO, &stdoutPath}, {STDERR_FILENO, &stderrPath}})
        if (!path->empty())
            if (int e = ::posix_spawn_file_actions_addopen(&actions, fd, path->c_str(),
                                                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
                e != 0)
                die(*path + ": " + std::strerror(e));
    pid_t pid = 0;
    const int e = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (e != 0)
        die(argv[0] + ": " + std::strerror(e));
    Exit result;
    rusage usage{};
    while (::wait4(pid, &result.status, 0, &usage) < 0)
        if (errno != EINTR)
            dieErrno("wait4");
    result.peakKiB = usage.ru_maxrss;
    return result;
}

// Dies unless `exit` is an exit with 0, naming `program`.
void expectSuccess(const Exit &exit, const std::string &program) {
    const int s = exit.status;
    if (!WIFEXITED(s) || WEXITSTATUS(s) != 0)
        die(program + ": " +
            (WIFEXITED(s) ? "exited with " + std::to_string(WEXITSTATUS(s))
                          : "killed by signal " + std::to_string(WTERMSIG(s))));
}

// Drops the clean page cache after a sync. Needs root.
platform::Status dropPageCache() {
    ::sync();
    const char path[] = "/proc/sys/vm/drop_caches";
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return platform::Status::fromErrno(path, errno);
    const bool written = ::write(fd, "3\n", 2) == 2;
    const int writeErrno = errno;
    ::close(fd);
    return written ? platform::Status() : platform::Status::fromErrno(path, writeErrno);
}

// The type of the file system holding `path`, as the mount table names it.
std::string fileSystemType(const std::string &path) {
    const std::optional<platform::VolumeFacts> facts = platform::volumeFacts(path);
    return facts ? facts->type : "unknown";
}

// The q-quantile of `v` (0 <= q <= 1), linear between neighbours; v not empty.
double quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (v[above] - v[below]) * (at - static_cast<double>(below));
}

double median(const std::vector<double> &v) {
    return quantile(v, 0.5);
}

// How the last round checks what a step wrote.
enum class Verify {
    WholeFiles,  // every output file equals the source
    PieceSet,    // a split's set: its pieces' data, in order, is the source
    PlainPieces, // coreutils' pieces, in name order, are the source
};

// What --delete-sync does after a timed unit's deletion.
enum class DeleteSync { None, Directories, FileSystem };

// One command, timed as a unit, with what it reads and writes.
// Every field has a default, so that a step names only what it needs.
struct Step {
    std::string name{};
    std::vector<std::string> argv{};
    std::vector<std::string> inputs{};  // read before each warm pair
    std::vector<std::string> outputs{}; // the files it writes...
    std::string outputDirectory{};      // ...or every file in this directory
    std::string stdoutPath{};           // where its standard output goes ("" inherited)
    Verify verify = Verify::WholeFiles;
    int pieces = 0;               // PlainPieces: how many it writes
    std::vector<double> times{};  // seconds, one per pair
    std::vector<double> ratios{}; // cp's time / this step's time, one per pair
    long peakKiB = 0;
    int stoppedStatus = 0; // the exit status that means "stopped by a signal" (0: none)
};

// The settings every timed unit shares.
struct Bench {
    std::string source;
    bool cold = false;
    DeleteSync deleteSync = DeleteSync::Directories;
    bool allEqual = true; // cleared by a failed check
};

// Whether what `s` wrote holds the source, by its kind of check.
bool outputsHoldSource(const Step &s, const std::vector<std::string> &written, const Bench &b) {
    std::vector<Segment> segments;
    switch (s.verify) {
    case Verify::WholeFiles:
        for (const std::string &path : written)
            if (!holdsSource(b.source, {{path}}))
                return false;
        return !written.empty();
    case Verify::PieceSet: {
        const engine::SetCheck set = engine::checkSet(s.outputDirectory + "/x.000");
        if (!set.set)
            return false;
        for (std::size_t k = 0; k < set.set->pieces.size(); ++k)
            segments.push_back(
                {set.set->pieces[k], k + 1 < set.set->pieces.size() ? set.set->pieceSize : -1});
        return holdsSource(b.source, segments);
    }
    case Verify::PlainPieces:
        for (const std::string &path : written)
            segments.push_back({path});
        return static_cast<int>(segments.size()) == s.pieces && holdsSource(b.source, segments);
    }
    return false;
}

// Runs `s` once as a timed unit and returns its seconds: the process from
// spawn to exit, the flush of the files it wrote and of their directories,
// their deletion and the --delete-sync flush. With `verify` the outputs are
// checked against the source between the flush and the deletion, untimed; a
// difference is printed and clears b.allEqual. Nullopt when the process was
// stopped by a signal from outside (what it left is removed, untimed): the
// measurement is void, the caller may repeat it. Dies when the command fails.
std::optional<double> timeUnit(Step &s, Bench &b, bool verify) {
    if (b.cold)
        check(dropPageCache());
    const auto start = Clock::now();
    const Exit exit = spawn(s.argv, s.stdoutPath);
    if (WIFSIGNALED(exit.status) || (s.stoppedStatus && WIFEXITED(exit.status) &&
                                     WEXITSTATUS(exit.status) == s.stoppedStatus)) {
        for (const std::string &path :
             s.outputDirectory.empty() ? s.outputs : entriesOf(s.outputDirectory))
            removeIfThere(path);
        return std::nullopt;
    }
    expectSuccess(exit, s.name);
    s.peakKiB = std::max(s.peakKiB, exit.peakKiB);
    const std::vector<std::string> written =
        s.outputDirectory.empty() ? s.outputs : entriesOf(s.outputDirectory);
    std::set<std::string> directories;
    flushFiles(written);
    for (const std::string &path : written)
        directories.insert(platform::directoryOf(path));
    for (const std::string &dir : directories)
        flush(dir);
    const auto flushed = Clock::now();
    if (verify && !outputsHoldSource(s, written, b)) {
        std::printf("%s: what it wrote differs from the source\n", s.name.c_str());
        b.allEqual = false;
    }
    const auto deleting = Clock::now();
    for (const std::string &path : written)
        removeIfThere(path);
    if (b.deleteSync == DeleteSync::Directories)
        for (const std::string &dir : directories)
            flush(dir);
    else if (b.deleteSync == DeleteSync::FileSystem && !directories.empty())
        flushFileSystem(*directories.begin());
    const auto end = Clock::now();
    return std::chrono::duration<double>((flushed - start) + (end - deleting)).count();
}

// True when `cli` knows --no-checksum: asked once, without a file, so that
// it writes nothing; an older one answers "unknown option". Its messages go
// to a file in `dir`, removed afterwards.
bool knowsNoChecksum(const std::string &cli, const std::string &dir) {
    const std::string messages = dir + "/probe.txt";
    // It fails either way (no file), so its exit status tells nothing.
    (void)spawn({cli, "split", "--no-checksum", "-q"}, "/dev/null", messages);
    std::string text;
    if (FILE *f = std::fopen(messages.c_str(), "r")) {
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            text.append(buffer, n);
        std::fclose(f);
    }
    removeIfThere(messages);
    return text.find("unknown option") == std::string::npos;
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
    "usage: dorvik_bench [--size BYTES] [--fs DIR] [--runs K] [--pieces N,N...] "
    "[--steps KIND,KIND...] [--cli PATH] [--cold] [--seed S] [--delete-sync none|dir|fs] "
    "[--verbose]\n"
    "  KIND: cp cprw split splitnc join joinnc joind csplit cat (default: all but cprw)";

} // namespace

int main(int argc, char **argv) {
    std::int64_t size = 1LL << 30;
    std::string parent = "/var/tmp", cli = DORVIK_CLI_PATH;
    int runs = 9;
    std::vector<int> counts = {7, 99};
    std::vector<std::string> kinds = {"cp",     "split", "splitnc", "join",
                                      "joinnc", "joind", "csplit",  "cat"};
    bool verbose = false;
    Bench bench;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cold" || arg == "--verbose") {
            (arg == "--cold" ? bench.cold : verbose) = true;
            continue;
        }
        if (i + 1 >= argc)
            die(kUsage);
        const std::string value = argv[++i];
        if (arg == "--size")
            size = std::strtoll(value.c_str(), nullptr, 10);
        else if (arg == "--fs")
            parent = value;
        else if (arg == "--runs")
            runs = std::atoi(value.c_str());
        else if (arg == "--pieces")
            counts = parseCounts(value);
        else if (arg == "--seed")
            seed = std::strtoull(value.c_str(), nullptr, 10);
        else if (arg == "--cli")
            cli = value;
        else if (arg == "--delete-sync" && (value == "none" || value == "dir" || value == "fs"))
            bench.deleteSync = value == "none"  ? DeleteSync::None
                               : value == "dir" ? DeleteSync::Directories
                                                : DeleteSync::FileSystem;
        else if (arg == "--steps") {
            kinds.clear();
            std::stringstream in(value);
            for (std::string k; std::getline(in, k, ',');)
                kinds.push_back(k);
        } else
            die(kUsage);
    }
    static const std::vector<std::string> kKnownKinds = {
        "cp", "cprw", "split", "splitnc", "join", "joinnc", "joind", "csplit", "cat"};
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
    if (bench.cold)
        if (platform::Status s = dropPageCache(); !s)
            die("--cold cannot drop the page cache (" + s.message() +
                "); it needs root and a writable /proc/sys/vm");
    if (::access(cli.c_str(), X_OK) != 0)
        die(cli + ": " + std::strerror(errno) + " (--cli names the dorvik-cli to time)");

    // cp is the measure of every step; a missing peer's steps are skipped.
    const std::string cp = findProgram("cp"), coreSplit = findProgram("split"),
                      cat = findProgram("cat");
    if (cp.empty())
        die("cp: not found on PATH");
    for (auto [program, path, needed] :
         {std::tuple{"split", &coreSplit, wanted("csplit") || wanted("cat")},
          std::tuple{"cat", &cat, wanted("cat")}})
        if (needed && path->empty())
            std::printf("%s: not found on PATH; its steps are skipped\n", program);

    std::string pattern = parent + "/dorvik-bench-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        dieErrno(parent);
    const std::string dir = pattern;
    g_madeDirectory = dir;
    const bool noChecksum = knowsNoChecksum(cli, dir);
    if (!noChecksum && (wanted("splitnc") || wanted("joinnc")))
        std::printf("%s does not know --no-checksum; the no-checksum steps are skipped\n",
                    cli.c_str());

    bench.source = dir + "/x.dat";
    double loadBefore[1] = {-1};
    (void)::getloadavg(loadBefore, 1);
    std::printf("making %lld bytes in %s\n", static_cast<long long>(size), dir.c_str());
    std::fflush(stdout);
    makeSource(bench.source, size);

    // The steps; every output goes to a directory of its own. The sets the
    // joins and cat read are made here, untimed.
    auto newDirectory = [&](const std::string &name) {
        const std::string path = dir + "/" + name;
        check(platform::makeDirectory(path));
        return path;
    };
    auto runUntimed = [](const std::vector<std::string> &args) {
        expectSuccess(spawn(args), args[0]);
    };
    const std::vector<std::string> sourceOnly = {bench.source};
    std::vector<Step> steps;
    if (wanted("cp"))
        steps.push_back({.name = "cp (noise)",
                         .argv = {cp, bench.source, dir + "/cp.dat"},
                         .inputs = sourceOnly,
                         .outputs = {dir + "/cp.dat"}});
    if (wanted("cprw"))
        steps.push_back({.name = "cp --reflink=never",
                         .argv = {cp, "--reflink=never", bench.source, dir + "/cprw.dat"},
                         .inputs = sourceOnly,
                         .outputs = {dir + "/cprw.dat"}});
    for (int n : counts) {
        const std::string N = std::to_string(n);
        for (bool checksum : {true, false}) {
            if (!wanted(checksum ? "split" : "splitnc") || (!checksum && !noChecksum))
                continue;
            const std::string out = newDirectory((checksum ? "split" : "splitnc") + N);
            steps.push_back(
                {.name = "split " + N + (checksum ? "" : ", no checksum"),
                 .argv = {cli, "split", bench.source, "-n", N, "-d", out, "-q", "--yes"},
                 .inputs = sourceOnly,
                 .outputDirectory = out,
                 .verify = Verify::PieceSet});
            if (!checksum)
                steps.back().argv.push_back("--no-checksum");
        }
        const bool joinNc = wanted("joinnc") && noChecksum;
        if (wanted("join") || wanted("joind") || joinNc) {
            const std::string set = newDirectory("set" + N);
            runUntimed({cli, "split", bench.source, "-n", N, "-d", set, "-q", "--yes"});
            std::vector<std::string> pieces;
            for (int k = 0; k < n; ++k)
                pieces.push_back(set + "/" + engine::pieceName("x.", k));
            if (wanted("join"))
                steps.push_back({.name = "join " + N,
                                 .argv = {cli, "join", pieces[0], "-q", "--yes"},
                                 .inputs = pieces,
                                 .outputs = {set + "/x.dat"}});
            if (joinNc) {
                // The same pieces, linked into a directory without the
                // set's checksum file.
                const std::string bare = newDirectory("bare" + N);
                std::vector<std::string> links;
                for (const std::string &piece : pieces) {
                    links.push_back(bare + "/" + platform::fileNameOf(piece));
                    if (::link(piece.c_str(), links.back().c_str()) != 0)
                        dieErrno(links.back());
                }
                steps.push_back({.name = "join " + N + ", no checksum",
                                 .argv = {cli, "join", links[0], "-q", "--yes"},
                                 .inputs = links,
                                 .outputs = {bare + "/x.dat"}});
            }
            if (wanted("joind")) {
                const std::string other = newDirectory("other" + N);
                steps.push_back({.name = "join " + N + " -d",
                                 .argv = {cli, "join", pieces[0], "-d", other, "-q", "--yes"},
                                 .inputs = pieces,
                                 .outputs = {set + "/x.dat", other + "/x.dat"}});
            }
        }
        if (coreSplit.empty())
            continue;
        if (wanted("csplit")) {
            const std::string out = newDirectory("csplit" + N);
            steps.push_back({.name = "split -n " + N,
                             .argv = {coreSplit, "-n", N, bench.source, out + "/x."},
                             .inputs = sourceOnly,
                             .outputDirectory = out,
                             .verify = Verify::PlainPieces,
                             .pieces = n});
        }
        if (wanted("cat") && !cat.empty()) {
            const std::string set = newDirectory("core" + N);
            runUntimed({coreSplit, "-n", N, bench.source, set + "/x."});
            const std::vector<std::string> pieces = entriesOf(set);
            const std::string out = newDirectory("cat" + N) + "/x.dat";
            steps.push_back({.name = "cat " + N + " pieces",
                             .argv = {cat},
                             .inputs = pieces,
                             .outputs = {out},
                             .stdoutPath = out});
            steps.back().argv.insert(steps.back().argv.end(), pieces.begin(), pieces.end());
        }
    }
    if (steps.empty())
        die("no step left to time");
    for (Step &s : steps)
        if (s.argv[0] == cli)
            s.stoppedStatus = 2; // dorvik-cli's status for a run a signal stopped

    // Rounds: one pair of every step, the steps in an order the seed
    // shuffles anew each round; cp comes first in the pairs of even rounds.
    Step reference{.name = "cp",
                   .argv = {cp, bench.source, dir + "/reference.dat"},
                   .inputs = sourceOnly,
                   .outputs = {dir + "/reference.dat"}};
    std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    std::vector<std::size_t> order(steps.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    for (int round = 0; round < runs; ++round) {
        for (std::size_t i = order.size(); i > 1; --i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            std::swap(order[i - 1], order[x % i]);
        }
        const bool last = round + 1 == runs, cpFirst = round % 2 == 0;
        for (std::size_t i : order) {
            Step &s = steps[i];
            // The reference's output is checked once, in the last round's first pair.
            const bool checkReference = last && i == order.front();
            std::optional<double> cpTime, stepTime;
            // A process stopped from outside (someone else's kill on a shared
            // machine) voids the pair: it is measured again, twice at most.
            for (int attempt = 1;; ++attempt) {
                if (!bench.cold) {
                    readThrough(reference.inputs);
                    readThrough(s.inputs);
                }
                if (cpFirst)
                    cpTime = timeUnit(reference, bench, checkReference);
                if (!cpFirst || cpTime)
                    stepTime = timeUnit(s, bench, last);
                if (!cpFirst && stepTime)
                    cpTime = timeUnit(reference, bench, checkReference);
                if (cpTime && stepTime)
                    break;
                if (attempt == 3)
                    die(s.name + ": a process of its pair was stopped by a signal three times");
                std::printf("round %d, %s: a process of the pair was stopped by a signal from "
                            "outside; the pair is measured again\n",
                            round + 1, s.name.c_str());
                std::fflush(stdout);
            }
            reference.times.push_back(*cpTime);
            s.times.push_back(*stepTime);
            s.ratios.push_back(*cpTime / *stepTime);
            if (verbose) {
                std::printf("round %d, %s: cp %.3f s, step %.3f s, ratio %.2f\n", round + 1,
                            s.name.c_str(), *cpTime, *stepTime, s.ratios.back());
                std::fflush(stdout);
            }
        }
    }
    rusage self{};
    const bool haveUsage = ::getrusage(RUSAGE_SELF, &self) == 0;
    double loadAfter[1] = {-1};
    (void)::getloadavg(loadAfter, 1);

    static const char *const kSync[] = {"none", "dir", "fs"};
    std::printf("\n%lld bytes on %s in %s, %d pair%s per step, %s page cache, "
                "--delete-sync %s\n",
                static_cast<long long>(size), fileSystemType(dir).c_str(), parent.c_str(), runs,
                runs == 1 ? "" : "s", bench.cold ? "cold" : "warm",
                kSync[static_cast<int>(bench.deleteSync)]);
    std::printf("%-22s %15s   %-38s %9s\n", "", "median", "cp time / step time, per pair", "peak");
    std::printf("%-22s %7s %7s   %6s %6s %6s %6s %6s   %9s\n", "step", "s", "MB/s", "median", "min",
                "max", "q1", "q3", "KiB");
    const Step *cpRow = nullptr;
    for (const Step &s : steps) {
        const double t = median(s.times);
        std::printf("%-22s %7.3f %7.1f   %6.2f %6.2f %6.2f %6.2f %6.2f   %9ld\n", s.name.c_str(), t,
                    static_cast<double>(size) / t / 1e6, median(s.ratios),
                    *std::min_element(s.ratios.begin(), s.ratios.end()),
                    *std::max_element(s.ratios.begin(), s.ratios.end()), quantile(s.ratios, 0.25),
                    quantile(s.ratios, 0.75), s.peakKiB);
        if (s.name == "cp (noise)")
            cpRow = &s;
    }
    if (cpRow) {
        const double q1 = quantile(cpRow->ratios, 0.25), q3 = quantile(cpRow->ratios, 0.75);
        std::printf(q1 >= 0.9 && q3 <= 1.1
                        ? "noise: cp against cp stays within 0.9-1.1 (quartiles)\n"
                        : "noise: cp against cp leaves 0.9-1.1 (quartiles); the machine is too "
                          "busy to trust these ratios\n");
    }
    // What the copy into another directory adds to a join: the difference of
    // the medians, against the median time of cp (and of a cp that reads and
    // writes, when measured).
    const Step *bytes = nullptr;
    for (const Step &s : steps)
        if (s.name == "cp --reflink=never")
            bytes = &s;
    for (int n : counts) {
        const std::string join = "join " + std::to_string(n);
        const Step *plain = nullptr, *copying = nullptr;
        for (const Step &s : steps) {
            if (s.name == join)
                plain = &s;
            if (s.name == join + " -d")
                copying = &s;
        }
        if (!plain || !copying)
            continue;
        const double added = median(copying->times) - median(plain->times);
        if (added <= 0) {
            std::printf("%s -d: its copy into the other directory adds nothing measurable\n",
                        join.c_str());
            continue;
        }
        std::printf("%s -d: its copy into the other directory adds %.3f s: %.1f x cp", join.c_str(),
                    added, median(reference.times) / added);
        if (bytes)
            std::printf(", %.1f x cp --reflink=never", median(bytes->times) / added);
        std::printf("\n");
    }
    if (haveUsage) // a child's peak includes the benchmark's from before its exec
        std::printf("peak RSS of the benchmark: %ld KiB\n", self.ru_maxrss);
    // Other work on the machine shows in the spread of the ratios.
    std::printf("load average (1 min): %.2f before, %.2f after\n", loadBefore[0], loadAfter[0]);
    std::printf("outputs equal the source: %s\n", bench.allEqual ? "yes" : "NO");

    g_madeDirectory.clear();
    removeTree(dir);
    return bench.allEqual ? 0 : 1;
}
