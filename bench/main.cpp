// dorvik_bench: times split and join against a plain whole-file copy on the
// same file system.
//
//   dorvik_bench [--size BYTES] [--dir DIR] [--runs K] [--method auto|buffered]
//
// Makes a file of BYTES bytes (default 1 GiB) of non-repeating data in DIR
// (default: a new directory under /var/tmp), then runs K rounds (default 7)
// of: a whole-file copy done as cp does it (copy_file_range over the whole
// file), a split into 7 pieces, the join of those, a split into 99 pieces and
// the join of those (each step timed from a clean page cache holding its
// input). It checks that the last joined files equal the source,
// prints the best time of each as MB/s and as a ratio to the copy, and the
// peak resident memory. Everything it made is removed at the end.

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
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using namespace dorvik;

// Answers every question with OK and shows nothing.
class SilentPrompter : public platform::Prompter {
public:
    platform::Answer ask(const platform::Message &) override { return platform::Answer::Ok; }
};

[[noreturn]] void die(const std::string &what) {
    std::fprintf(stderr, "dorvik_bench: %s\n", what.c_str());
    std::exit(1);
}

void check(const platform::Status &s) {
    if (!s)
        die(s.message());
}

// Removes every file in `dir`, then `dir` itself when `removeDir`.
void clearDirectory(const std::string &dir, bool removeDir) {
    if (DIR *d = ::opendir(dir.c_str())) {
        std::vector<std::string> names;
        while (dirent *e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
        for (const std::string &n : names)
            check(platform::removeFile(dir + "/" + n));
    }
    if (removeDir && ::rmdir(dir.c_str()) != 0 && errno != ENOENT)
        die(dir + ": " + std::strerror(errno));
}

// Writes `size` bytes of xorshift data, 1 MiB at a time.
void makeSource(const std::string &path, std::int64_t size) {
    platform::File f;
    check(f.open(path, platform::File::Mode::Create));
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
    check(f.close());
}

// The copy as cp does it: the kernel's copy over the whole file (the block
// buffer only where the kernel declines).
void plainCopy(const std::string &from, const std::string &to) {
    platform::File in, out;
    check(in.open(from, platform::File::Mode::Read));
    check(out.open(to, platform::File::Mode::Create));
    platform::Status s;
    const std::optional<std::int64_t> length = in.length(&s);
    check(s);
    check(platform::copyRange(in, 0, out, 0, *length, 1 << 20, platform::CopyMethod::Auto));
    check(out.close());
}

// Compares two files, 1 MiB at a time, as cmp would.
bool sameContents(const std::string &a, const std::string &b) {
    platform::File fa, fb;
    check(fa.open(a, platform::File::Mode::Read));
    check(fb.open(b, platform::File::Mode::Read));
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

double seconds(const std::function<void()> &work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Timing {
    std::string name;
    double best = 1e300;
};

} // namespace

int main(int argc, char **argv) {
    std::int64_t size = 1LL << 30;
    std::string dir;
    int runs = 7;
    platform::CopyMethod method = platform::CopyMethod::Auto;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            die("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--size")
            size = std::strtoll(value.c_str(), nullptr, 10);
        else if (arg == "--dir")
            dir = value;
        else if (arg == "--runs")
            runs = std::atoi(value.c_str());
        else if (arg == "--method" && (value == "auto" || value == "buffered"))
            method = value == "auto" ? platform::CopyMethod::Auto : platform::CopyMethod::Buffered;
        else
            die("usage: dorvik_bench [--size BYTES] [--dir DIR] [--runs K] "
                "[--method auto|buffered]");
    }
    if (runs < 1 || !engine::layout(size, 99))
        die("--runs must be at least 1 and --size at least 99 * 30000 bytes");

    bool madeDir = false;
    if (dir.empty()) {
        std::string pattern = "/var/tmp/dorvik-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            die("/var/tmp: " + std::string(std::strerror(errno)));
        dir = pattern;
        madeDir = true;
    }
    const std::string source = dir + "/bench.dat";
    const std::string copy = dir + "/copy.dat";
    const std::string set7 = dir + "/set7", set99 = dir + "/set99";
    check(platform::makeDirectory(set7));
    check(platform::makeDirectory(set99));
    std::printf("making %lld bytes in %s\n", static_cast<long long>(size), dir.c_str());
    makeSource(source, size);

    SilentPrompter prompter;
    auto split = [&](const std::string &target, int pieces) {
        engine::SplitRequest r;
        r.sourcePath = source;
        r.targetDirectory = target;
        r.pieces = pieces;
        r.copyMethod = method;
        if (engine::split(r, prompter).outcome != engine::Outcome::Done)
            die("split into " + std::to_string(pieces) + " pieces failed");
    };
    auto join = [&](const std::string &set) {
        engine::JoinRequest r;
        r.firstPiecePath = set + "/bench.000";
        r.targetDirectory = set;
        r.copyMethod = method;
        if (engine::join(r, prompter).outcome != engine::Outcome::Done)
            die("join in " + set + " failed");
    };
    auto unlinkIfThere = [](const std::string &path) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            die(path + ": " + std::strerror(errno));
    };

    Timing copyTime{"copy (cp)"}, split7{"split N=7"}, join7{"join N=7"}, split99{"split N=99"},
        join99{"join N=99"};
    // Each timed step starts from a clean page cache that holds its input:
    // the outputs no longer needed are removed and the rest written back
    // (untimed), so no step pays for writing back the data of another.
    auto timed = [&](Timing &t, const std::function<void()> &work) {
        ::sync();
        t.best = std::min(t.best, seconds(work));
    };
    for (int run = 0; run < runs; ++run) {
        timed(copyTime, [&] { plainCopy(source, copy); });
        unlinkIfThere(copy);
        for (auto [set, pieces, s, j] :
             {std::tuple{set7, 7, &split7, &join7}, std::tuple{set99, 99, &split99, &join99}}) {
            clearDirectory(set, false);
            timed(*s, [&] { split(set, pieces); });
            timed(*j, [&] { join(set); });
        }
    }
    rusage usage{};
    const bool haveUsage = ::getrusage(RUSAGE_SELF, &usage) == 0;
    const bool equal =
        sameContents(source, set7 + "/bench.dat") && sameContents(source, set99 + "/bench.dat");

    std::printf("%d run%s each, best of each, %s copy path\n", runs, runs == 1 ? "" : "s",
                method == platform::CopyMethod::Auto ? "auto" : "buffered");
    for (const Timing *t : {&copyTime, &split7, &join7, &split99, &join99})
        std::printf("  %-11s %9.1f MB/s  %5.2f x copy  (%.3f s)\n", t->name.c_str(),
                    static_cast<double>(size) / t->best / 1e6, copyTime.best / t->best, t->best);
    if (haveUsage)
        std::printf("  peak RSS    %ld KiB (during the timed runs)\n", usage.ru_maxrss);
    std::printf("joined files equal the source: %s\n", equal ? "yes" : "NO");

    clearDirectory(set7, true);
    clearDirectory(set99, true);
    unlinkIfThere(copy);
    unlinkIfThere(source);
    if (madeDir && ::rmdir(dir.c_str()) != 0)
        die(dir + ": " + std::strerror(errno));
    return equal ? 0 : 1;
}
