#include "platform/setlock.h"
#include "platform/translate.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace dorvik::platform {

SetLock::~SetLock() {
    release();
}

void SetLock::release() {
    if (handle_ >= 0)
        ::close(handle_); // closing the descriptor drops the lock
    handle_ = -1;
}

Status SetLock::acquire(const Directory &dir, const std::string &setName,
                        std::chrono::milliseconds patience,
                        const std::function<bool()> &stopRequested) {
    release();
    heldElsewhere_ = false;
    // A descriptor of its own: an flock belongs to the open directory, and
    // the run's other descriptors of it must not share (or drop) it.
    int fd;
    do {
        fd = ::openat(dir.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {}; // a directory we may write but not read: no lock to be had
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            handle_ = fd;
            return {};
        }
        const int err = errno;
        if (err == EINTR)
            continue;
        if (err != EWOULDBLOCK) {
            // No locks on this file system: go on as runs did before them.
            ::close(fd);
            return {};
        }
        if (stopRequested && stopRequested()) {
            ::close(fd);
            return Status::stopped();
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            ::close(fd);
            heldElsewhere_ = true;
            return Status::failure(
                fill(DORVIK_TEXT("Files", "%1: another run is writing this piece set"),
                     {dir.pathOf(setName)}));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace dorvik::platform
