// The checksum file beside a set: what a damaged set, or a checksum file that
// cannot be trusted, makes join and check do; that sha256sum reads the file;
// and that splits running at once never leave a mixed set.
#include "engine_test_util.h"
#include "platform/fs.h"
#include "splitter/engine/checksums.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using dorvik::testing::fsPath;
using dorvik::testing::snapshot;

#ifdef _WIN32
constexpr int kCannotDrop = 77;
#else
using dorvik::testing::kCannotDrop;
#endif

// Runs `body` as an ordinary user, to whom a file of mode 0 is unreadable:
// in a child as uid 65534, with dir/set handed to it (kCannotDrop where the
// drop is not allowed); on Windows, here.
int asOrdinaryUser(const TempDir &dir, const std::function<int()> &body) {
#ifdef _WIN32
    (void)dir;
    return body();
#else
    dorvik::testing::handToNobody(dir.path(), dir / "set");
    return dorvik::testing::runAsNobody(body);
#endif
}

// report.doc (200001 bytes) cut into three in dir/set, beside an older
// report.doc; returns the source's bytes.
std::string makeSet(const TempDir &dir) {
    EXPECT_TRUE(platform::makeDirectory(dir / "src"));
    const std::string data = patternBytes(200001, 5);
    writeFile(dir / "src/report.doc", data);
    EventLog log;
    EXPECT_EQ(split(splitRequest(dir / "src/report.doc", dir / "set", 3), log).outcome,
              Outcome::Done);
    writeFile(dir / "set/report.doc", "an older file of the rebuilt name");
    return data;
}

void setByte(const std::string &path, std::int64_t at, char value) {
    std::string bytes = readFile(path);
    bytes[static_cast<std::size_t>(at)] = value;
    writeFile(path, bytes);
}

void flipByte(const std::string &path, std::int64_t at) {
    setByte(path, at, static_cast<char>(readFile(path)[static_cast<std::size_t>(at)] ^ 0x20));
}

// Every damage is refused by join (with and without deleting) and by check,
// with the same message, the file at fault named, and nothing written or
// deleted.
TEST(Checksums, ADamagedSetOrAnUntrustworthyChecksumFileIsRefused) {
    using Damage = std::function<void(const std::string &set)>;
    const std::string unverifiable = "Nothing was written or deleted. Removing report.000.sha256 "
                                     "lets the set join without this check.";
    const std::string damaged = ": this piece is damaged; it does not match its checksum in "
                                "report.000.sha256.\nNothing was written or deleted.";
    const struct {
        const char *what;
        Damage damage;
        std::string reason; // after the set's directory
    } cases[] = {
        {"a byte of the first piece", [](auto s) { flipByte(s + "/report.000", 17); },
         "report.000" + damaged},
        {"a byte of a middle piece", [](auto s) { flipByte(s + "/report.001", 40000); },
         "report.001" + damaged},
        {"a byte of the last piece", [](auto s) { flipByte(s + "/report.002", 66668); },
         "report.002" + damaged},
        {"the last piece a byte short",
         [](auto s) { std::filesystem::resize_file(fsPath(s + "/report.002"), 66668); },
         "report.002" + damaged},
        {"the last piece a byte long",
         [](auto s) { writeFile(s + "/report.002", readFile(s + "/report.002") + "x"); },
         "report.002" + damaged},
        {"the count in the trailer lowered by one",
         [](auto s) { setByte(s + "/report.000", 66667, '2'); }, "report.000" + damaged},
        {"the checksum file garbled",
         [](auto s) { writeFile(s + "/report.000.sha256", "not a checksum\n"); },
         "report.000.sha256: this is not a checksum file (line 1: the checksum is not 64 "
         "hexadecimal digits).\n" +
             unverifiable},
        {"the checksum file of another set",
         [](auto s) {
             std::string text = readFile(s + "/report.000.sha256");
             text.replace(text.find("report.001"), 10, "letter.001");
             writeFile(s + "/report.000.sha256", text);
         },
         "report.000.sha256: the file lists letter.001, which is not of this piece set.\n" +
             unverifiable},
#ifndef _WIN32
        {"the checksum file unreadable",
         [](auto s) { ASSERT_EQ(::chmod((s + "/report.000.sha256").c_str(), 0), 0); },
         "report.000.sha256: Permission denied\n" + unverifiable},
#endif
    };
    for (const auto &c : cases) {
        for (bool deletePieces : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (deletePieces ? ", deleting" : ""));
            TempDir dir;
            makeSet(dir);
            c.damage(dir / "set");
            const auto before = snapshot(dir.path());
            const int code = asOrdinaryUser(dir, [&] {
                JoinRequest request = joinRequest(dir / "set/report.000", dir / "out");
                request.deletePieces = deletePieces;
                EventLog log;
                const Outcome joined = join(request, log).outcome;
                const SetVerification checked = verifySet(dir / "set/report.000");
                const platform::Message expected =
                    message(dir / ("set/" + c.reason), "Dorvik", Icon::Information);
                return (joined == Outcome::Refused) + 2 * (log.messages == std::vector{expected}) +
                       4 * (checked.outcome == Outcome::Refused) +
                       8 * (checked.reason + "\n" + checked.consequence == expected.text);
            });
            if (code == kCannotDrop)
                GTEST_SKIP() << "cannot drop to uid 65534 here";
            EXPECT_EQ(code, 15) << "1 join refused, 2 its message, 4 check refused, 8 its words";
            EXPECT_TRUE(snapshot(dir.path()) == before);
        }
    }
}

// Without its checksum file a set joins as it always did; check then says
// that only the sizes could be checked. A middle piece that cannot be read
// fails check as it fails the join.
TEST(Checksums, CheckEndsAsTheJoinWould) {
    TempDir dir;
    const std::string data = makeSet(dir);
    const SetVerification whole = verifySet(dir / "set/report.000");
    EXPECT_EQ(whole.outcome, Outcome::Done);
    EXPECT_TRUE(whole.verified);

    ASSERT_TRUE(platform::removeFile(dir / "set/report.000.sha256"));
    const SetVerification sizesOnly = verifySet(dir / "set/report.000");
    EXPECT_EQ(sizesOnly.outcome, Outcome::Done);
    EXPECT_FALSE(sizesOnly.verified);
    EXPECT_EQ(sizesOnly.checksumPath, dir / "set/report.000.sha256");

#ifndef _WIN32
    ASSERT_EQ(::chmod((dir / "set/report.001").c_str(), 0), 0);
    const int code = asOrdinaryUser(dir, [&] {
        EventLog log;
        const Outcome joined = join(joinRequest(dir / "set/report.000", ""), log).outcome;
        const SetVerification checked = verifySet(dir / "set/report.000");
        return (joined == Outcome::Failed) + 2 * (checked.outcome == Outcome::Failed) +
               4 * (checked.reason == dir / "set/report.001: Permission denied");
    });
    if (code == kCannotDrop)
        GTEST_SKIP() << "cannot drop to uid 65534 here";
    EXPECT_EQ(code, 7);
    ASSERT_EQ(::chmod((dir / "set/report.001").c_str(), 0644), 0);
#endif

    EventLog log;
    ASSERT_EQ(join(joinRequest(dir / "set/report.000", ""), log).outcome, Outcome::Done);
    EXPECT_TRUE(readFile(dir / "set/report.doc") == data);
}

#ifndef _WIN32
// The file of an untouched set is what sha256sum -c reads: the pieces where
// they lie, and the rebuilt file once joined.
TEST(Checksums, Sha256sumAcceptsTheFileOfAnUntouchedSet) {
    if (std::system("sha256sum --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no sha256sum here";
    TempDir dir;
    makeSet(dir);
    ASSERT_TRUE(platform::removeFile(dir / "set/report.doc"));
    const std::string check = "cd '" + dir / "set" + "' && sha256sum --quiet --strict -c ";
    EXPECT_EQ(std::system((check + "--ignore-missing report.000.sha256").c_str()), 0);
    EventLog log;
    ASSERT_EQ(join(joinRequest(dir / "set/report.000", ""), log).outcome, Outcome::Done);
    EXPECT_EQ(std::system((check + "report.000.sha256").c_str()), 0);
}
#endif

// Four splits at once of different files of one name into one directory:
// every round leaves a set that joins into one of the four, whole.
TEST(Checksums, SplitsAtOnceLeaveOneWholeSet) {
    TempDir dir;
    std::vector<std::string> sources;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(platform::makeDirectory(dir / std::to_string(i)));
        sources.push_back(patternBytes(300000, 10 + i));
        writeFile(dir / (std::to_string(i) + "/report.doc"), sources.back());
    }
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::thread> splits;
        std::vector<Outcome> outcomes(4);
        for (int i = 0; i < 4; ++i)
            splits.emplace_back([&, i] {
                EventLog log;
                SplitRequest request =
                    splitRequest(dir / (std::to_string(i) + "/report.doc"), dir / "set", 4);
                request.checksums = round % 2 == 0;
                outcomes[i] = split(request, log).outcome;
            });
        for (std::thread &t : splits)
            t.join();
        EXPECT_EQ(outcomes, std::vector<Outcome>(4, Outcome::Done));
        EventLog log;
        ASSERT_EQ(join(joinRequest(dir / "set/report.000", ""), log).outcome, Outcome::Done);
        const std::string joined = readFile(dir / "set/report.doc");
        EXPECT_TRUE(std::find(sources.begin(), sources.end(), joined) != sources.end());
    }
}

} // namespace
