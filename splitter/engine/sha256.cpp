#include "splitter/engine/sha256.h"

#include <algorithm>
#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define DORVIK_SHA256_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace dorvik::engine {

namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline std::uint32_t rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

inline std::uint32_t loadBigEndian(const std::uint8_t *p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// The 64 rounds of the standard on each of `count` blocks, unrolled so that
// the eight working words stay in registers; the message schedule is kept as
// a ring of its last 16 words.
void compressPortable(std::uint32_t *state, const std::uint8_t *block, std::size_t count) {
    for (; count > 0; --count, block += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i)
            w[i] = loadBigEndian(block + 4 * i);
        std::uint32_t v[8];
        std::memcpy(v, state, sizeof v);
#pragma GCC unroll 64
        for (int i = 0; i < 64; ++i) {
            if (i >= 16) {
                const std::uint32_t w15 = w[(i - 15) & 15], w2 = w[(i - 2) & 15];
                w[i & 15] += (rotr(w15, 7) ^ rotr(w15, 18) ^ (w15 >> 3)) + w[(i - 7) & 15] +
                             (rotr(w2, 17) ^ rotr(w2, 19) ^ (w2 >> 10));
            }
            // v[(k - i) & 7] is working word k (a = 0 ... h = 7) of round i.
            std::uint32_t &a = v[(0 - i) & 7], &b = v[(1 - i) & 7], &c = v[(2 - i) & 7];
            std::uint32_t &d = v[(3 - i) & 7], &e = v[(4 - i) & 7], &f = v[(5 - i) & 7];
            std::uint32_t &g = v[(6 - i) & 7], &h = v[(7 - i) & 7];
            const std::uint32_t t1 = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) +
                                     (g ^ (e & (f ^ g))) + kRound[i] + w[i & 15];
            const std::uint32_t t2 =
                (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) | (c & (a | b)));
            d += t1;
            h = t1 + t2; // the next round's a
        }
        for (int i = 0; i < 8; ++i)
            state[i] += v[i];
    }
}

#ifdef DORVIK_SHA256_X86

// The same on the SHA instructions. They keep the state as the word pairs
// ABEF and CDGH and take the message four words at a time; each
// sha256rnds2 does two rounds.
__attribute__((target("sha,sse4.1"))) void
compressShaNi(std::uint32_t *state, const std::uint8_t *block, std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    const auto *k = reinterpret_cast<const __m128i *>(kRound);

    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xb1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1b);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xf0);

    for (; count > 0; --count, block += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i m[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) { // rounds 4g to 4g + 3
            if (g < 4)
                m[g] = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * g)), byteSwap);
            const __m128i &cur = m[g & 3];
            __m128i words = _mm_add_epi32(cur, _mm_load_si128(k + g));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, words);
            if (g >= 3 && g < 15) { // completes the words of rounds 4g + 4 to 4g + 7
                __m128i &next = m[(g + 1) & 3];
                next = _mm_add_epi32(next, _mm_alignr_epi8(cur, m[(g + 3) & 3], 4));
                next = _mm_sha256msg2_epu32(next, cur);
            }
            words = _mm_shuffle_epi32(words, 0x0e);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, words);
            if (g >= 1 && g < 13) // starts the words of rounds 4g + 12 to 4g + 15
                m[(g + 3) & 3] = _mm_sha256msg1_epu32(m[(g + 3) & 3], cur);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1b);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xb1);
    dcba = _mm_blend_epi16(feba, dchg, 0xf0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state + 4), hgfe);
}

// Two messages' blocks side by side: the same steps as compressShaNi, each
// done for `a` and then for `b`. A round of one waits for the one before it;
// interleaved, the other message's round fills that wait.
__attribute__((target("sha,sse4.1"))) void
compressShaNiPair(std::uint32_t *stateA, const std::uint8_t *blockA, std::uint32_t *stateB,
                  const std::uint8_t *blockB, std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    const auto *k = reinterpret_cast<const __m128i *>(kRound);
    std::uint32_t *const states[2] = {stateA, stateB};
    const std::uint8_t *blocks[2] = {blockA, blockB};

    __m128i abef[2], cdgh[2];
    for (int s = 0; s < 2; ++s) {
        const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(states[s]));
        const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(states[s] + 4));
        const __m128i cdab = _mm_shuffle_epi32(dcba, 0xb1);
        const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1b);
        abef[s] = _mm_alignr_epi8(cdab, efgh, 8);
        cdgh[s] = _mm_blend_epi16(efgh, cdab, 0xf0);
    }

    for (; count > 0; --count, blocks[0] += 64, blocks[1] += 64) {
        const __m128i abefBefore[2] = {abef[0], abef[1]}, cdghBefore[2] = {cdgh[0], cdgh[1]};
        __m128i m[2][4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            __m128i words[2];
#pragma GCC unroll 2
            for (int s = 0; s < 2; ++s) {
                if (g < 4)
                    m[s][g] = _mm_shuffle_epi8(
                        _mm_loadu_si128(reinterpret_cast<const __m128i *>(blocks[s] + 16 * g)),
                        byteSwap);
                words[s] = _mm_add_epi32(m[s][g & 3], _mm_load_si128(k + g));
                cdgh[s] = _mm_sha256rnds2_epu32(cdgh[s], abef[s], words[s]);
            }
#pragma GCC unroll 2
            for (int s = 0; s < 2; ++s) {
                const __m128i &cur = m[s][g & 3];
                if (g >= 3 && g < 15) {
                    __m128i &next = m[s][(g + 1) & 3];
                    next = _mm_add_epi32(next, _mm_alignr_epi8(cur, m[s][(g + 3) & 3], 4));
                    next = _mm_sha256msg2_epu32(next, cur);
                }
                abef[s] =
                    _mm_sha256rnds2_epu32(abef[s], cdgh[s], _mm_shuffle_epi32(words[s], 0x0e));
                if (g >= 1 && g < 13)
                    m[s][(g + 3) & 3] = _mm_sha256msg1_epu32(m[s][(g + 3) & 3], cur);
            }
        }
        for (int s = 0; s < 2; ++s) {
            abef[s] = _mm_add_epi32(abef[s], abefBefore[s]);
            cdgh[s] = _mm_add_epi32(cdgh[s], cdghBefore[s]);
        }
    }

    for (int s = 0; s < 2; ++s) {
        const __m128i feba = _mm_shuffle_epi32(abef[s], 0x1b);
        const __m128i dchg = _mm_shuffle_epi32(cdgh[s], 0xb1);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(states[s]), _mm_blend_epi16(feba, dchg, 0xf0));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(states[s] + 4),
                         _mm_alignr_epi8(dchg, feba, 8));
    }
}

// SSSE3, SSE4.1 and the SHA extensions, as cpuid reports them.
bool hasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return ssse3 && sse41 && (b & (1u << 29));
}

#else

bool hasShaInstructions() {
    return false;
}

#endif

} // namespace

// The kernel is chosen once, on the first call, from what cpuid reports.
bool Sha256::accelerated() {
    static const bool shaInstructions = hasShaInstructions();
    return shaInstructions;
}

Sha256::Sha256(Kernel kernel) : compress_(compressPortable) {
#ifdef DORVIK_SHA256_X86
    if (kernel == Kernel::Best && accelerated())
        compress_ = compressShaNi;
#else
    (void)kernel; // only the portable kernel is built here
#endif
    reset();
}

void Sha256::reset() {
    std::memcpy(state_, kInitial, sizeof state_);
    length_ = 0;
    buffered_ = 0;
}

void Sha256::topUp(const std::uint8_t *&p, std::size_t &size) {
    if (buffered_ == 0)
        return;
    const std::size_t take = std::min(sizeof buffer_ - buffered_, size);
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ == sizeof buffer_) {
        compress_(state_, buffer_, 1);
        buffered_ = 0;
    }
}

void Sha256::absorb(const std::uint8_t *p, std::size_t size) {
    if (const std::size_t blocks = size / 64; blocks > 0) {
        compress_(state_, p, blocks);
        p += blocks * 64;
        size -= blocks * 64;
    }
    std::memcpy(buffer_ + buffered_, p, size);
    buffered_ += size;
}

// update: tops up a started block first; whole blocks are then compressed
// straight from the caller's bytes and only the rest is kept.
void Sha256::update(const void *data, std::size_t size) {
    if (size == 0)
        return;
    const auto *p = static_cast<const std::uint8_t *>(data);
    length_ += size;
    topUp(p, size);
    absorb(p, size);
}

// updateBoth: each message is brought to a block boundary on its own; the
// blocks both can take from there go through the paired kernel, the rest as
// in update().
void Sha256::updateBoth(Sha256 &a, Sha256 &b, const void *data, std::size_t size) {
    const auto *pa = static_cast<const std::uint8_t *>(data);
    const auto *pb = pa;
    std::size_t na = size, nb = size;
    a.length_ += size;
    b.length_ += size;
    a.topUp(pa, na);
    b.topUp(pb, nb);
#ifdef DORVIK_SHA256_X86
    if (a.compress_ == compressShaNi && b.compress_ == compressShaNi && a.buffered_ == 0 &&
        b.buffered_ == 0) {
        const std::size_t blocks = std::min(na, nb) / 64;
        compressShaNiPair(a.state_, pa, b.state_, pb, blocks);
        pa += blocks * 64;
        pb += blocks * 64;
        na -= blocks * 64;
        nb -= blocks * 64;
    }
#endif
    a.absorb(pa, na);
    b.absorb(pb, nb);
}

// finish: the padding of the standard (0x80, zeros, the length in bits as 64
// bits big-endian), then the state words big-endian.
Sha256::Digest Sha256::finish() {
    const std::uint64_t bits = length_ * 8;
    buffer_[buffered_++] = 0x80;
    if (buffered_ > 56) {
        std::memset(buffer_ + buffered_, 0, sizeof buffer_ - buffered_);
        compress_(state_, buffer_, 1);
        buffered_ = 0;
    }
    std::memset(buffer_ + buffered_, 0, 56 - buffered_);
    for (int i = 0; i < 8; ++i)
        buffer_[56 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    compress_(state_, buffer_, 1);

    Digest digest;
    for (int i = 0; i < 32; ++i)
        digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
    reset();
    return digest;
}

Sha256::Digest Sha256::of(std::string_view bytes, Kernel kernel) {
    Sha256 hash(kernel);
    hash.update(bytes);
    return hash.finish();
}

std::string toHex(const Sha256::Digest &digest) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(64);
    for (std::uint8_t byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::optional<Sha256::Digest> fromHex(std::string_view hex) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (hex.size() != 64)
        return std::nullopt;
    Sha256::Digest digest;
    for (std::size_t i = 0; i < 32; ++i) {
        const int high = value(hex[2 * i]), low = value(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return digest;
}

} // namespace dorvik::engine
