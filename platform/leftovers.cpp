// The lock that marks a live temporary, and the sweep of the temporaries
// that killed runs left.
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
