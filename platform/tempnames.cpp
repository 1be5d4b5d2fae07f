// The names of temporaries: hidden, beside the final name, with a random
// ending.
#include "platform/fsinternal.h"
#include "platform/text.h"

#include <algorithm>
#include <mutex>
#include <random>

namespace dorvik::platform::internal {

namespace {

constexpr char kTemporaryMarker[] = ".part-";
constexpr std::size_t kRandomLength = 8;
constexpr char kRandomDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
// The longest name a directory entry holds, in bytes: 255 on Linux; on
// Windows 255 UTF-16 units, which a name of 255 UTF-8 bytes never exceeds.
constexpr std::size_t kNameMax = 255;

} // namespace

std::string temporaryStem(const std::string &name) {
    constexpr std::size_t room = kNameMax - 1 - (sizeof kTemporaryMarker - 1) - kRandomLength;
    return "." + firstBytes(name, room) + kTemporaryMarker;
}

std::string randomTemporaryName(const std::string &name) {
    static std::mutex lock;
    static std::mt19937_64 random{std::random_device{}()};
    std::string candidate = temporaryStem(name);
    const std::lock_guard<std::mutex> guard(lock);
    for (std::size_t i = 0; i < kRandomLength; ++i)
        candidate += kRandomDigits[random() % 36];
    return candidate;
}

bool isTemporaryOf(const std::string &entry, const std::string &stem) {
    if (entry.size() != stem.size() + kRandomLength || entry.compare(0, stem.size(), stem) != 0)
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(stem.size()), entry.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

} // namespace dorvik::platform::internal
