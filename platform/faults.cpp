#include "platform/faults.h"

#include <map>
#include <memory>

namespace dorvik::platform::faults {

namespace detail {
std::atomic<bool> armed{false};
namespace {
Hook &currentHook() {
    static Hook hook;
    return hook;
}
} // namespace
int hit(Call call, const std::string &path) {
    const Hook &hook = currentHook();
    return hook ? hook(call, path) : 0;
}
} // namespace detail

void setHook(Hook hook) {
    detail::armed.store(false, std::memory_order_relaxed);
    detail::currentHook() = std::move(hook);
    detail::armed.store(static_cast<bool>(detail::currentHook()), std::memory_order_relaxed);
}

Hook failNth(Call call, int nth, int err) {
    auto seen = std::make_shared<int>(0);
    return [=](Call c, const std::string &) { return c == call && ++*seen == nth ? err : 0; };
}

} // namespace dorvik::platform::faults
