// What every way of copying shares: rounds that end on aligned offsets of
// the file being written, and the test seam that slows them down.
#include "platform/copy.h"
#include "platform/fsinternal.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace dorvik::platform {

namespace {

std::atomic<std::int64_t> roundDelayMicroseconds{0};

} // namespace

namespace internal {

void beforeRound() {
    if (const std::int64_t us = roundDelayMicroseconds.load(std::memory_order_relaxed); us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::int64_t roundEnd(std::int64_t outPos, std::int64_t outEnd, std::int64_t round) {
    std::int64_t end = (outPos + round) / kCopyAlignment * kCopyAlignment;
    if (end <= outPos)
        end = outPos + round;
    return std::min(end, outEnd);
}

} // namespace internal

void setCopyRoundDelay(std::chrono::microseconds delay) {
    roundDelayMicroseconds.store(delay.count(), std::memory_order_relaxed);
}

} // namespace dorvik::platform
