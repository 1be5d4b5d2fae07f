// SHA-256 of byte streams, as the checksum file beside a piece set holds
// them: a portable implementation and, on x86-64 processors that have them,
// one on the SHA instructions, chosen once when the program first hashes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dorvik::engine {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    // Which code compresses the blocks. Best is the fastest this processor
    // runs; Portable is plain C++ everywhere (tests compare the two).
    enum class Kernel { Best, Portable };

    explicit Sha256(Kernel kernel = Kernel::Best);

    // Appends `size` bytes to the message.
    void update(const void *data, std::size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    // The digest of everything appended since the last finish(); the object
    // is then ready for a new message.
    Digest finish();

    // Appends the same `size` bytes to `a` and to `b`, which may be in the
    // middle of different blocks. Where the SHA instructions are used, the
    // blocks of both messages are compressed side by side: one core then
    // hashes the two in about 70 % of the time of two calls to update().
    static void updateBoth(Sha256 &a, Sha256 &b, const void *data, std::size_t size);

    // The digest of one message in one call.
    static Digest of(std::string_view bytes, Kernel kernel = Kernel::Best);
    // True when Kernel::Best uses the processor's SHA instructions.
    static bool accelerated();

private:
    using Compress = void (*)(std::uint32_t *state, const std::uint8_t *blocks, std::size_t count);

    void reset();
    // Completes a started block from `p`; what is taken is skipped.
    void topUp(const std::uint8_t *&p, std::size_t &size);
    // Compresses the whole blocks of `p` and keeps the rest.
    void absorb(const std::uint8_t *p, std::size_t size);

    Compress compress_;
    std::uint32_t state_[8];
    std::uint64_t length_ = 0; // bytes appended to this message
    std::uint8_t buffer_[64];  // the start of a block not complete yet
    std::size_t buffered_ = 0;
};

// The 64 lowercase hexadecimal digits of a digest.
std::string toHex(const Sha256::Digest &digest);
// A digest from exactly 64 hexadecimal digits (either case); nullopt for
// anything else.
std::optional<Sha256::Digest> fromHex(std::string_view hex);

} // namespace dorvik::engine
