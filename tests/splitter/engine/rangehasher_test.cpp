#include "splitter/engine/rangehasher.h"
#include "tests/support/new_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace dorvik::engine;
namespace platform = dorvik::platform;
using dorvik::testing::patternBytes;
using dorvik::testing::TempDir;
using dorvik::testing::writeFile;

namespace {

// One call on the hasher: add() of file 0 or 1, else addBytes(), or cut()
// when there are no bytes either.
struct Step {
    int file = -1;
    std::int64_t offset = 0, length = 0;
    std::string bytes = {};
    bool alsoWhole = false;
};

// Two files of known bytes, open for reading.
class RangeHasherTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i : {0, 1}) {
            writeFile(dir / std::to_string(i), bytes[i]);
            ASSERT_TRUE(files[i].open(dir / std::to_string(i)));
        }
    }
    TempDir dir;
    const std::string bytes[2] = {patternBytes(300'001, 1), patternBytes(70'000, 2)};
    platform::File files[2];
};

} // namespace

// The digests of what was given between cuts and of the ranges given for the
// whole digest, or the read error of file 1 and no digests.
TEST_F(RangeHasherTest, DigestsOfRangesBytesAndCuts) {
    const std::string &a = bytes[0], &b = bytes[1];
    const struct {
        std::vector<Step> steps;
        std::vector<std::string> messages; // whose digests come back
        std::string failure = {};          // after the path of file 1
        std::optional<std::string> whole = {};
    } rows[] = {
        {{}, {}},
        {{{0, 0, 300'001}, {}, {1, 0, 70'000}}, {a, b}}, // a final cut implied
        {{{1, 5, 69'995}, {-1, 0, 0, "trailer"}, {0, 299'000, 1'001}, {}, {}, {-1, 0, 0, "x"}, {}},
         {b.substr(5) + "trailer" + a.substr(299'000), "", "x"}},
        {{{0, 17, 0}}, {""}},
        {{{0, 0, 10}, {}, {1, 69'000, 1'001}}, {}, ": file ended before the expected length"},
        {{{1, 0, -1}}, {}, ": Invalid argument"},
        {{{0, 3, 200'000, {}, true}, {-1, 0, 0, "trailer"}, {}, {1, 7, 50'000, {}, true}},
         {a.substr(3, 200'000) + "trailer", b.substr(7, 50'000)},
         {},
         a.substr(3, 200'000) + b.substr(7, 50'000)},
    };
    for (const auto &row : rows) {
        RangeHasher hasher(4099); // most ranges end in a short chunk
        for (const Step &s : row.steps) {
            if (s.file >= 0)
                hasher.add(files[s.file], s.offset, s.length, s.alsoWhole);
            else if (!s.bytes.empty())
                hasher.addBytes(s.bytes);
            else
                hasher.cut();
        }
        std::vector<Sha256::Digest> digests, expected;
        for (const std::string &message : row.messages)
            expected.push_back(Sha256::of(message));
        std::optional<Sha256::Digest> whole;
        const platform::Status status = hasher.finish(digests, &whole);
        EXPECT_EQ(status.message(), row.failure.empty() ? "" : files[1].path() + row.failure);
        EXPECT_EQ(digests, expected);
        EXPECT_EQ(whole, row.whole ? std::optional(Sha256::of(*row.whole)) : std::nullopt);
    }
}

// abandon() returns in the middle of a terabyte; finish() then tells of it.
TEST_F(RangeHasherTest, AbandonStopsInTheMiddleOfARange) {
    // Sparse: no disk used. (Written, not truncated: mingw's ::truncate
    // takes a 32-bit length.)
    platform::File huge = dorvik::testing::newFileAt(dir / "huge");
    ASSERT_TRUE(huge.writeAt((1LL << 40) - 1, "", 1));
    RangeHasher hasher;
    hasher.add(huge, 0, 1LL << 40);
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it start reading
    hasher.abandon();
    std::vector<Sha256::Digest> digests;
    EXPECT_TRUE(hasher.finish(digests).isStopped());
    EXPECT_TRUE(digests.empty());
}
