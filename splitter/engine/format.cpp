#include "splitter/engine/format.h"

#include <algorithm>
#include <string>

namespace dorvik::engine {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// B and b for a piece of P data bytes; P >= 30000.
void fillBlocks(Layout &l) {
    l.B = l.P / kMinBlock;
    l.b = kMinBlock + (l.P - kMinBlock * l.B) / l.B;
}

} // namespace

// pieceName: base name followed by the index as exactly three digits
// ("00" + k below 10, "0" + k from 10 on). Expects 0 <= index <= 98.
std::string pieceName(std::string_view baseName, int index) {
    std::string digits = std::to_string(index);
    std::string name(baseName);
    name.append(digits.size() < 3 ? 3 - digits.size() : 0, '0');
    name += digits;
    return name;
}

// layout: S = L / N, B = S / 30000, b = 30000 + (S - 30000 B) / B, P = B b,
// R = L - N P, every division rounding down. Nullopt outside 2 <= N <= 99,
// for a negative L, and when S < 30000 (no piece may be smaller).
std::optional<Layout> layout(std::int64_t L, int N) {
    if (N < kMinPieces || N > kMaxPieces || L < 0)
        return std::nullopt;
    Layout l;
    l.L = L;
    l.N = N;
    l.S = L / N;
    if (l.S < kMinBlock)
        return std::nullopt;
    l.B = l.S / kMinBlock;
    l.b = kMinBlock + (l.S - kMinBlock * l.B) / l.B;
    l.P = l.B * l.b;
    l.R = L - N * l.P;
    return l;
}

// blocksForPieceSize: the block count and size a join uses for pieces of P
// data bytes, by the same formulas the split used with S in place of P. Only
// P, B and b are filled. For every set a split writes, B * b == P; a caller
// validating a set checks that. Nullopt when P < 30000.
std::optional<Layout> blocksForPieceSize(std::int64_t P) {
    if (P < kMinBlock)
        return std::nullopt;
    Layout l;
    l.P = P;
    fillBlocks(l);
    return l;
}

// trailer: filler byte 0x00, N in decimal without leading zero, the three
// suffix bytes as given.
std::string trailer(int N, std::string_view suffixBytes) {
    std::string t(1, '\0');
    t += std::to_string(N);
    t += suffixBytes;
    return t;
}

// readTrailer: a byte "1" to "9" at L0 - 5 starts a two-digit count (P =
// L0 - 6); anything else there is the filler byte and the count is the one
// digit at L0 - 4 (P = L0 - 5). The suffix is the last three bytes.
// Beyond that reading, the trailer is accepted only when it is one a split
// can have written: the filler byte is 0x00, the count is made of digits and
// lies from 2 to 99. Nullopt otherwise, or when L0 is too short to hold a
// trailer or `lastBytes` does not hold min(6, L0) bytes.
std::optional<TrailerInfo> readTrailer(std::int64_t L0, std::string_view lastBytes) {
    if (L0 < 5 || static_cast<std::int64_t>(lastBytes.size()) != std::min<std::int64_t>(6, L0))
        return std::nullopt;
    // Byte at file offset L0 - k is lastBytes[size - k].
    auto at = [&](std::size_t k) { return lastBytes[lastBytes.size() - k]; };
    TrailerInfo t;
    char first = at(5);
    if (first > '0' && first <= '9') {
        if (L0 < 6 || at(6) != '\0' || !isDigit(at(4)))
            return std::nullopt;
        t.countText = std::string{first, at(4)};
        t.P = L0 - 6;
    } else {
        if (first != '\0' || !isDigit(at(4)))
            return std::nullopt;
        t.countText = std::string(1, at(4));
        t.P = L0 - 5;
    }
    t.N = std::stoi(t.countText);
    if (t.N < kMinPieces || t.N > kMaxPieces)
        return std::nullopt;
    t.suffixBytes = std::string(lastBytes.substr(lastBytes.size() - 3));
    return t;
}

} // namespace dorvik::engine
