#include "platform/setlock.h"

#include "platform/fsinternal.h"
#include "platform/translate.h"

#include <thread>

namespace dorvik::platform {

SetLock::~SetLock() {
    release();
}

void SetLock::release() {
    internal::closeHandle(handle_); // the lock goes with its handle
    handle_ = -1;
}

Status SetLock::acquire(const Directory &dir, const std::string &setName,
                        std::chrono::milliseconds patience,
                        const std::function<bool()> &stopRequested) {
    release();
    heldElsewhere_ = false;
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        Status error;
        switch (internal::tryLockSet(dir, setName, handle_, error)) {
        case internal::SetLockTry::Taken:
        case internal::SetLockTry::NoLock: // go on as runs did before there were locks
            return {};
        case internal::SetLockTry::Failed:
            return error;
        case internal::SetLockTry::Busy:
            break;
        }
        if (stopRequested && stopRequested())
            return Status::stopped();
        if (std::chrono::steady_clock::now() >= giveUp) {
            heldElsewhere_ = true;
            return Status::failure(
                fill(DORVIK_TEXT("Files", "%1: another run is writing this piece set"),
                     {dir.pathOf(setName)}));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace dorvik::platform
