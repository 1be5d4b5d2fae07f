// The locks of runs: the one that marks a live temporary and the one of a
// set, and the sweep of the temporaries that killed runs left.
#include "platform/fsinternal.h"
#include "platform/newfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace dorvik::platform {

namespace internal {

bool lockFile(int fd, bool *unsupported) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (unsupported)
        *unsupported = rc != 0 && errno != EWOULDBLOCK;
    return rc == 0 || errno != EWOULDBLOCK;
}

// The lock of a set is an flock on the directory, through a descriptor of
// its own: an flock belongs to the open directory, and the run's other
// descriptors of it must not share (or drop) it.
SetLockTry tryLockSet(const Directory &dir, const std::string &setName, NativeHandle &handle,
                      Status &error) {
    int fd;
    do {
        fd = ::openat(dir.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EACCES)
            return SetLockTry::NoLock; // a directory we may write but not read
        error = Status::fromErrno(dir.pathOf(setName), errno);
        return SetLockTry::Failed;
    }
    bool unsupported = false;
    if (!lockFile(fd, &unsupported) || unsupported) {
        ::close(fd);
        return unsupported ? SetLockTry::NoLock : SetLockTry::Busy;
    }
    handle = fd;
    return SetLockTry::Taken;
}

} // namespace internal

int removeLeftovers(const Directory &dir, const std::string &name) {
    const std::string stem = internal::temporaryStem(name);
    int removed = 0;
    for (const std::string &c : dir.names()) {
        if (!internal::isTemporaryOf(c, stem))
            continue;
        const int fd =
            ::openat(dir.descriptor(), c.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        bool unsupported = false;
        struct stat held {
        }, named{};
        // Locked, and still under that name: nobody owns it.
        if (internal::lockFile(fd, &unsupported) && !unsupported && ::fstat(fd, &held) == 0 &&
            ::fstatat(dir.descriptor(), c.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            internal::sameInode(held, named) && dir.remove(c))
            ++removed;
        ::close(fd);
    }
    return removed;
}

} // namespace dorvik::platform
