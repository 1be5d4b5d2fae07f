// The piece-set format: names, layout and trailer of the numbered pieces that
// a split writes and a join reads back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dorvik::engine {

constexpr int kMinPieces = 2;
constexpr int kMaxPieces = 99;
constexpr std::int64_t kMinBlock = 30000;      // smallest piece and block
constexpr std::int64_t kFloppyBytes = 1400000; // one floppy disk

// Base name + the three-digit index ("000" to "098").
std::string pieceName(std::string_view baseName, int index);

// Sizes of a set cut from L bytes into N pieces (all divisions round down).
struct Layout {
    std::int64_t L = 0; // source length
    int N = 0;          // piece count
    std::int64_t S = 0; // average piece size, L / N
    std::int64_t B = 0; // blocks per piece
    std::int64_t b = 0; // block size
    std::int64_t P = 0; // data bytes of every piece but the last: B * b
    std::int64_t R = 0; // tail bytes the last piece carries beyond P
    bool operator==(const Layout &) const = default;
};
// Defined only for 2 <= N <= 99 and L / N >= 30000.
std::optional<Layout> layout(std::int64_t L, int N);
// Block layout of a join, derived from P alone; nullopt when P < 30000.
std::optional<Layout> blocksForPieceSize(std::int64_t P);

// The bytes behind the first piece's data: 0x00, N in decimal, the three
// suffix bytes (already in the 8-bit character set).
std::string trailer(int N, std::string_view suffixBytes);

struct TrailerInfo {
    int N = 0;
    std::string countText;   // the one or two digits as stored
    std::string suffixBytes; // three bytes, 8-bit character set
    std::int64_t P = 0;
    bool operator==(const TrailerInfo &) const = default;
};
// Reads the trailer from the first piece's length L0 and its last six bytes
// (fewer when L0 < 6; `lastBytes` holds min(6, L0) bytes). Nullopt when the
// bytes cannot be a trailer (count not digits, L0 too short).
std::optional<TrailerInfo> readTrailer(std::int64_t L0, std::string_view lastBytes);

} // namespace dorvik::engine
