// Creating and completing the temporary of a NewFile, and the lock on an
// older file kept aside while a set is put in place.
#include "platform/faults.h"
#include "platform/fsinternal.h"
#include "platform/newfile.h"
#include "platform/translate.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dorvik::platform {

// The temporary is created with the owner's read and write bits added, so
// the owner can always finish it and a later run can open it to test its
// lock. The bits the umask cleared are read back from the new file, and
// complete() keeps of `mode` exactly those: `mode` less the umask.
//
// Between the exclusive create and the lock another run's removeLeftovers
// may take the new file for a leftover. It then holds the lock (ours fails)
// or has removed the name already (the name no longer leads to our file):
// either way a new name is tried.
Status NewFile::create(const Directory &dir, const std::string &name, unsigned mode,
                       bool exactMode) {
    discard();
    dir_ = &dir;
    name_ = name;
    mode_ = mode & 07777;
    exactMode_ = exactMode;
    completed_ = placed_ = false;
    (void)removeLeftovers(dir, name); // a count only; nothing to report
    for (;;) {
        const std::string temporary = internal::randomTemporaryName(name);
        if (const int err = faults::check(faults::Call::OpenForWrite, dir.pathOf(temporary)))
            return Status::fromErrno(path(), err);
        int fd;
        do {
            fd =
                ::openat(dir.descriptor(), temporary.c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, (mode_ & 0777) | 0600);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Status::fromErrno(path(), errno);
        }
        struct stat mine {
        }, named{};
        if (!internal::lockFile(fd) || ::fstat(fd, &mine) != 0 ||
            ::fstatat(dir.descriptor(), temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !internal::sameInode(mine, named)) {
            ::close(fd);
            continue;
        }
        if (!exactMode_)
            mode_ &= (mine.st_mode & 0777) | ~0777u;
        file_.fd_ = fd;
        file_.path_ = path();
        temporary_ = temporary;
        return {};
    }
}

Status NewFile::complete(Flush flush) {
    if (completed_)
        return {};
    if (!file_.isOpen())
        return Status::failure(
            fill(DORVIK_TEXT("Files", "%1: no file is being written"), {path()}));
    // A file system that keeps no permission bits of its own (a FUSE FAT
    // driver) refuses to be asked; the file keeps the bits it shows.
    if (::fchmod(file_.descriptor(), mode_) != 0 && errno != ENOSYS && errno != EOPNOTSUPP)
        return Status::fromErrno(path(), errno);
    if (flush == Flush::Durable) {
        if (Status s = internal::flushDescriptor(file_.descriptor(), path()); !s)
            return s;
    } else {
        // A network file system reports a delayed write error at a close.
        // Closing a second descriptor of the file asks for that report
        // while this one keeps the file open and locked.
        const int copy = internal::duplicateHandle(file_.descriptor());
        if (copy < 0 || (::close(copy) != 0 && errno != EINTR))
            return Status::fromErrno(path(), errno);
    }
    completed_ = true;
    return {};
}

namespace internal {

NativeHandle lockEntry(const Directory &dir, const std::string &name) {
    const int fd =
        ::openat(dir.descriptor(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && !lockFile(fd)) {
        ::close(fd); // held by a run that is still going
        return -1;
    }
    return fd;
}

void closeHandle(NativeHandle handle) {
    if (handle >= 0)
        ::close(handle);
}

} // namespace internal

} // namespace dorvik::platform
