#include "splitter/engine/format.h"

#include <gtest/gtest.h>

#include <string>

using namespace dorvik::engine;
using namespace std::string_literals;

TEST(PieceName, ThreeDigitIndexBehindBaseName) {
    EXPECT_EQ(pieceName("setup.", 0), "setup.000");
    EXPECT_EQ(pieceName("setup.", 9), "setup.009");
    EXPECT_EQ(pieceName("setup.", 10), "setup.010");
    EXPECT_EQ(pieceName("setup.", 98), "setup.098");
    EXPECT_EQ(pieceName("REA", 2), "REA002");
    EXPECT_EQ(pieceName("", 1), "001"); // three-character source name
    EXPECT_EQ(pieceName("data", 0), "data000");
}

TEST(Layout, ExampleRows) {
    struct Row {
        std::int64_t L;
        int N;
        std::int64_t S, B, b, P, R;
    };
    const Row rows[] = {
        {60000, 2, 30000, 1, 30000, 30000, 0},
        {200001, 3, 66667, 2, 33333, 66666, 3},
        {1000000, 3, 333333, 11, 30303, 333333, 1},
        {5000000, 12, 416666, 13, 32051, 416663, 44},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.L);
        auto l = layout(r.L, r.N);
        ASSERT_TRUE(l);
        EXPECT_EQ(l->S, r.S);
        EXPECT_EQ(l->B, r.B);
        EXPECT_EQ(l->b, r.b);
        EXPECT_EQ(l->P, r.P);
        EXPECT_EQ(l->R, r.R);
        // A join derives the same blocks from P alone.
        auto j = blocksForPieceSize(l->P);
        ASSERT_TRUE(j);
        EXPECT_EQ(j->B, r.B);
        EXPECT_EQ(j->b, r.b);
        EXPECT_EQ(j->B * j->b, r.P);
    }
}

TEST(Layout, LimitsAndLargeFiles) {
    EXPECT_TRUE(layout(30000 * 7, 7));
    EXPECT_FALSE(layout(30000 * 7 - 1, 7));
    EXPECT_FALSE(layout(10'000'000, 1));
    EXPECT_FALSE(layout(10'000'000, 100));
    EXPECT_FALSE(blocksForPieceSize(29999));

    // Beyond 32 bits: the formulas hold and the pieces cover the source.
    const std::int64_t L = 5LL * 1024 * 1024 * 1024 + 12345;
    for (int N : {2, 7, 99}) {
        auto l = layout(L, N);
        ASSERT_TRUE(l);
        EXPECT_GE(l->b, 30000);
        EXPECT_LE(l->b, 59999);
        EXPECT_EQ(l->B * l->b, l->P);
        EXPECT_GE(l->R, 0);
        EXPECT_LT(l->R, N * (l->B + 1));
        EXPECT_EQ(l->N * l->P + l->R, L);
        EXPECT_EQ(blocksForPieceSize(l->P)->b, l->b);
    }
}

TEST(Layout, JoinRecoversBlocksForEverySplitOfARange) {
    // B * b == P and the join's blocks equal the split's for a spread of sizes.
    for (std::int64_t L = 60000; L < 40'000'000; L = L * 13 / 10 + 7) {
        for (int N = 2; N <= 99; N += 7) {
            auto l = layout(L, N);
            if (!l)
                continue;
            auto j = blocksForPieceSize(l->P);
            ASSERT_TRUE(j);
            ASSERT_EQ(j->B, l->B) << L << " " << N;
            ASSERT_EQ(j->b, l->b) << L << " " << N;
        }
    }
}

TEST(Trailer, WrittenAndReadBack) {
    EXPECT_EQ(trailer(2, "exe"), "\0002exe"s);
    EXPECT_EQ(trailer(10, ".gz"), "\00010.gz"s);
    EXPECT_EQ(trailer(99, "DME"), "\00099DME"s);

    // One digit: five trailer bytes behind P.
    std::string piece = "xyz" + trailer(2, "exe");
    auto t = readTrailer(30005, piece.substr(piece.size() - 6));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->N, 2);
    EXPECT_EQ(t->countText, "2");
    EXPECT_EQ(t->suffixBytes, "exe");
    EXPECT_EQ(t->P, 30000);

    // Two digits: six bytes.
    piece = "xyz" + trailer(12, "\xe9t\xe9"s);
    t = readTrailer(416669, piece.substr(piece.size() - 6));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->N, 12);
    EXPECT_EQ(t->countText, "12");
    EXPECT_EQ(t->suffixBytes, "\xe9t\xe9"s);
    EXPECT_EQ(t->P, 416663);

    // A one-digit count whose filler is preceded by a digit in the data.
    piece = "7" + trailer(9, "abc");
    t = readTrailer(40000, piece);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->N, 9);
    EXPECT_EQ(t->P, 39995);
}

TEST(Trailer, BytesThatNoSplitWritesAreRefused) {
    EXPECT_FALSE(readTrailer(40000, "\0002abc"s));  // five bytes of a long piece
    EXPECT_FALSE(readTrailer(40000, "x\0001abc"s)); // count 1
    EXPECT_FALSE(readTrailer(40000, "x\0000abc"s)); // count 0
    EXPECT_FALSE(readTrailer(40000, "xxxabc"));     // no filler, no digit
    EXPECT_FALSE(readTrailer(40000, "xz2abc"));     // filler not 0x00
    EXPECT_FALSE(readTrailer(40000, "x12abc"));     // two digits, no filler
    EXPECT_FALSE(readTrailer(40000, "\0001xabc"s)); // second digit missing
    EXPECT_FALSE(readTrailer(4, "2abc"));           // shorter than a trailer
    EXPECT_TRUE(readTrailer(5, "\0002abc"s));       // the bytes alone are valid
}
