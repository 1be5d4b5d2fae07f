#include "splitter/engine/sha256.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace dorvik::engine;
using Kernel = Sha256::Kernel;

// Both kernels give the published digests and those of sha256sum (Best is
// the portable kernel again on a processor without the SHA instructions).
TEST(Sha256, KnownDigests) {
    const struct {
        std::string message;
        const char *digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrl"
         "mnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        // Padding that just fits in the last block, and that needs one more.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.message.substr(0, 20));
        EXPECT_EQ(toHex(Sha256::of(row.message, Kernel::Portable)), row.digest);
        EXPECT_EQ(toHex(Sha256::of(row.message, Kernel::Best)), row.digest);
    }
}

// Random messages of random lengths fed in random pieces (single bytes to
// megabytes, across block boundaries) to one reused object per kernel give
// the digest of the whole message in one call; so do two messages that share
// them through updateBoth() after prefixes of their own.
TEST(Sha256, KernelsAgreeHowEverTheBytesArrive) {
    std::mt19937_64 random(20240531);
    auto upTo = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    Sha256 best(Kernel::Best), portable(Kernel::Portable);
    for (int round = 0; round < 40; ++round) {
        std::string message(round < 30 ? upTo(300) : upTo(5'000'000), '\0');
        for (char &c : message)
            c = static_cast<char>(random());
        const Sha256::Digest whole = Sha256::of(message, Kernel::Portable);
        for (Sha256 *hash : {&best, &portable}) {
            for (std::size_t at = 0; at < message.size();) {
                const std::size_t n =
                    std::min(message.size() - at, 1 + upTo(round % 2 ? 200 : 3'000'000));
                hash->update(message.data() + at, n);
                at += n;
            }
            ASSERT_EQ(hash->finish(), whole)
                << "round " << round << ", " << message.size() << " bytes";
        }
        const std::string prefixA(upTo(130), 'a'), prefixB(upTo(130), 'b');
        Sha256 a, b(round % 4 ? Kernel::Best : Kernel::Portable);
        a.update(prefixA);
        b.update(prefixB);
        for (std::size_t at = 0; at < message.size();) {
            const std::size_t n =
                std::min(message.size() - at, 1 + upTo(round % 2 ? 200 : 3'000'000));
            Sha256::updateBoth(a, b, message.data() + at, n);
            at += n;
        }
        ASSERT_EQ(a.finish(), Sha256::of(prefixA + message, Kernel::Portable)) << "round " << round;
        ASSERT_EQ(b.finish(), Sha256::of(prefixB + message, Kernel::Portable)) << "round " << round;
    }
}
